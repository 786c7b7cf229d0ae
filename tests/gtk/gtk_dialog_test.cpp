// frmConfig on GTK under Xvfb: stored INI values -> the GTK controls, what
// the user does with them (keyboard steps of the sliders, buttons, Enter,
// Escape, the close button) -> the INI file. The about box: settings_dialog.sh.
#include "platform/gtk/gtk_dialog.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/settings.h"
#include "dialogs/frm_config.h"
#include "platform/headless/headless_platform.h"
#include "platform/ini_store.h"

namespace gm {
namespace {

namespace fs = std::filesystem;

void settle() {
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
}

// A key press delivered to the window as from the keyboard.
void sendKey(GtkWidget* window, guint keyval) {
    GdkEvent* e = gdk_event_new(GDK_KEY_PRESS);
    e->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    e->key.keyval = keyval;
    e->key.time = GDK_CURRENT_TIME;
    // Key bindings (Enter: the default button) match the hardware key code.
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()),
                                          keyval, &keys, &count) &&
        count > 0) {
        e->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    }
    g_free(keys);
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    gdk_event_set_device(e, gdk_seat_get_keyboard(seat));
    gtk_widget_event(window, e);
    gdk_event_free(e);
}

class GtkDialogTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        system_ = GtkDialogSystem::open().release();
        ASSERT_NE(system_, nullptr) << "no display";
    }

    GtkDialogTest() : store(ini.string()) {
        fs::create_directories(dir);
        platform.setSettingsStore(&store);
        setPlatform(&platform);
        setDialogSystem(system_);
    }
    ~GtkDialogTest() override {
        config.reset();
        settle();
        setDialogSystem(nullptr);
        setPlatform(nullptr);
        fs::remove_all(dir);
    }

    void writeIni(const std::string& text) { std::ofstream(ini) << text; }
    std::string readIni() {
        std::ifstream in(ini);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Loads the settings and opens the dialog as Main does.
    void open() {
        LoadConfig();
        config = std::make_unique<FrmConfig>();
        config->Show();
        settle();
    }
    GtkWidget* control(int id) { return GtkDialogSystem::widget(config->window(), id); }
    GtkWidget* window() { return GtkDialogSystem::window(config->window()); }
    int slider(int hscroll) {
        return static_cast<int>(
            gtk_range_get_value(GTK_RANGE(control(frmConfigControls().HScroll[hscroll]))));
    }
    bool checked(int box) {
        return gtk_toggle_button_get_active(
            GTK_TOGGLE_BUTTON(control(frmConfigControls().chkOpt[box])));
    }
    // The keyboard's moves of a slider (arrow keys, Page keys, Home, End).
    void move(int hscroll, GtkScrollType how) {
        g_signal_emit_by_name(control(frmConfigControls().HScroll[hscroll]), "move-slider", how);
        settle();
    }
    void press(int button) {
        gtk_button_clicked(GTK_BUTTON(control(button)));
        settle();
    }
    void closeButton() {
        gtk_window_close(GTK_WINDOW(window()));  // delete-event, as from the window manager
        settle();
    }
    void key(GtkWidget* target, guint keyval) {
        sendKey(target, keyval);
        settle();
    }

    static GtkDialogSystem* system_;
    fs::path dir = fs::temp_directory_path() / ("gtk-dialog-" + std::to_string(getpid()));
    fs::path ini = dir / "settings.ini";
    IniStore store;
    HeadlessPlatform platform;
    std::unique_ptr<FrmConfig> config;
};
GtkDialogSystem* GtkDialogTest::system_ = nullptr;

const std::string kDefaults =
    "[Settings]\nSpeedF=6\nSize=6\nmaxFl=110\nSpeedS=0.53\nSpeedO=6\nSpeed=5\nDate=1\nTime=1\n";

TEST_F(GtkDialogTest, EmptyStoreShowsTheDefaultsAndEnterStoresThem) {
    open();
    for (int h = 0; h < 6; ++h) EXPECT_EQ(slider(h), 50) << "HScroll " << h;
    EXPECT_TRUE(checked(0) && checked(1));
    EXPECT_FALSE(gtk_widget_get_visible(control(frmConfigControls().chkOpt[2])))
        << "the hidden boxes lie below their group";
    key(window(), GDK_KEY_Return);
    // A button activated from the keyboard shows itself pressed for a
    // moment before it reports the click.
    for (int i = 0; i < 200 && config->window().loaded(); ++i) {
        g_usleep(10'000);
        settle();
    }
    EXPECT_EQ(readIni(), kDefaults);
    EXPECT_FALSE(config->window().loaded());
}

// Stored value -> slider position -> what OK stores without a move.
struct StoredCase {
    const char* ini;
    int hscroll;
    int shown;
    const char* stored;  // the line OK writes
};

TEST_F(GtkDialogTest, StoredValuesThroughTheSliders) {
    for (const StoredCase& c : {
             StoredCase{"maxFl=23", 0, 2, "maxFl=24"},
             StoredCase{"Speed=20", 5, 50, "Speed=5"},         // position 200: rejected
             StoredCase{"SpeedS=0.03", 3, 50, "SpeedS=0.53"},  // position 0: rejected
         }) {
        writeIni(std::string("[Settings]\n") + c.ini + "\n");
        open();
        EXPECT_EQ(slider(c.hscroll), c.shown) << c.ini;
        press(frmConfigControls().cmdOK);
        EXPECT_NE(readIni().find(std::string("\n") + c.stored + "\n"), std::string::npos)
            << c.ini << " stored:\n"
            << readIni();
        fs::remove(ini);
    }
}

TEST_F(GtkDialogTest, SliderStepsAndEnds) {
    open();
    move(0, GTK_SCROLL_STEP_LEFT);
    EXPECT_EQ(slider(0), 45) << "an arrow moves 5";
    move(0, GTK_SCROLL_PAGE_LEFT);
    EXPECT_EQ(slider(0), 25) << "a page moves 20";
    move(0, GTK_SCROLL_START);
    EXPECT_EQ(slider(0), 1);
    move(1, GTK_SCROLL_END);
    EXPECT_EQ(slider(1), 100);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(control(frmConfigControls().chkOpt[1])), FALSE);
    press(frmConfigControls().cmdOK);
    EXPECT_EQ(readIni(),
              "[Settings]\nSpeedF=10\nSize=6\nmaxFl=22\nSpeedS=0.53\nSpeedO=6\nSpeed=5\nDate="
              "1\nTime=0\n");
    fs::remove(ini);
    open();
    move(0, GTK_SCROLL_END);
    press(frmConfigControls().cmdOK);
    EXPECT_NE(readIni().find("\nmaxFl=200\n"), std::string::npos) << readIni();
}

TEST_F(GtkDialogTest, DefaultThenCloseChangesNothing) {
    const std::string before = "[Settings]\nmaxFl=40\nSpeed=2\nDate=0\n";
    writeIni(before);
    open();
    EXPECT_FALSE(checked(0));
    press(frmConfigControls().cmdReset);
    EXPECT_EQ(slider(0), 50);
    EXPECT_TRUE(checked(0));
    key(window(), GDK_KEY_Escape);
    EXPECT_TRUE(config->window().loaded()) << "Escape does nothing here";
    closeButton();
    EXPECT_FALSE(config->window().loaded());
    EXPECT_EQ(readIni(), before);
}

// The rules of the dialog seam, on GTK: Escape presses the first cancel
// button only, and a grayed check box, clicked, is checked.
TEST_F(GtkDialogTest, EscapePressesTheFirstCancelButtonAndAGrayedBoxIsChecked) {
    FormLayout form;
    form.name = "frmTest";
    form.widthTwips = 3000, form.heightTwips = 2000;
    for (int i = 0; i < 2; ++i) {
        ControlLayout cancel;
        cancel.name = "cmdCancel(" + std::to_string(i) + ")";
        cancel.kind = ControlKind::TextButton;
        cancel.cancelButton = true;
        cancel.rect = {100, 100 + 500 * i, 1200, 400};
        form.controls.push_back(cancel);
    }
    ControlLayout box;
    box.name = "chkOpt";
    box.kind = ControlKind::CheckBox;
    box.value = 2;
    box.rect = {100, 1200, 2000, 300};
    form.controls.push_back(box);
    struct Clicks final : DialogEvents {
        void onClick(int control) override { seen.push_back(control); }
        std::vector<int> seen;
    } events;
    const std::unique_ptr<DialogWindow> d = system_->loadForm(form, events);
    d->show(false);
    settle();
    key(GtkDialogSystem::window(*d), GDK_KEY_Escape);
    EXPECT_EQ(events.seen, std::vector<int>{0});
    gtk_button_clicked(GTK_BUTTON(GtkDialogSystem::widget(*d, 2)));
    settle();
    EXPECT_EQ(d->value(2), 1);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(GtkDialogSystem::widget(*d, 2))));
    EXPECT_FALSE(
        gtk_toggle_button_get_inconsistent(GTK_TOGGLE_BUTTON(GtkDialogSystem::widget(*d, 2))));
    d->unload();
    settle();
}

}  // namespace
}  // namespace gm
