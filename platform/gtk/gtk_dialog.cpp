#include "platform/gtk/gtk_dialog.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gfx/bitmap_resource.h"
#include "platform/posix_system.h"

namespace gm {
namespace {

constexpr int kIconSide = 32;  // the picture buttons' icons, pixels at 96 dpi

// '&' marks the mnemonic in the forms' captions, '_' in GTK's; "&&" is a
// plain '&'.
std::string mnemonicText(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '_') {
            out += "__";
        } else if (c == '&' && i + 1 < caption.size() && caption[i + 1] == '&') {
            out += '&';
            ++i;
        } else {
            out += c == '&' ? '_' : c;
        }
    }
    return out;
}

std::string cssColour(DialogColour c) {
    return "rgb(" + std::to_string(c & 0xFF) + "," + std::to_string((c >> 8) & 0xFF) + "," +
           std::to_string((c >> 16) & 0xFF) + ")";
}

void addCss(GtkWidget* widget, const std::string& css) {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// A picture resource at the given size; with a mask (black = figure) the
// rest of it is transparent.
GdkPixbuf* pixbufOf(int picture, int mask, int width, int height) {
    const gfx::Bitmap image = gfx::LoadBitmapResource(picture);
    const gfx::Bitmap figure = mask ? gfx::LoadBitmapResource(mask) : gfx::Bitmap();
    GdkPixbuf* full = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, image.width(), image.height());
    guchar* pixels = gdk_pixbuf_get_pixels(full);
    const int stride = gdk_pixbuf_get_rowstride(full);
    for (int y = 0; y < image.height(); ++y) {
        guchar* out = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < image.width(); ++x, out += 4) {
            const std::uint32_t p = image.row(y)[x];  // 0x00RRGGBB
            const bool shown = !mask || (x < figure.width() && y < figure.height() &&
                                         (figure.row(y)[x] & 0xFFFFFF) == 0);
            out[0] = static_cast<guchar>(p >> 16);
            out[1] = static_cast<guchar>(p >> 8);
            out[2] = static_cast<guchar>(p);
            out[3] = shown ? 255 : 0;
        }
    }
    if (width == image.width() && height == image.height()) return full;
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(full, width, height, GDK_INTERP_BILINEAR);
    g_object_unref(full);
    return scaled;
}

// The font and colour of a text as Pango attributes; an empty face and a
// zero size keep the system's dialog font.
PangoAttrList* textAttributes(const DialogFont& font, std::optional<DialogColour> fore) {
    PangoAttrList* list = pango_attr_list_new();
    // Windows' "MS Sans Serif" is rarely installed elsewhere; Arial's metric
    // twins stand in before the desktop's sans, so the texts keep their width.
    if (!font.face.empty()) {
        const std::string families = font.face + ",Arial,Liberation Sans,Nimbus Sans,Sans";
        pango_attr_list_insert(list, pango_attr_family_new(families.c_str()));
    }
    if (font.points > 0) {
        pango_attr_list_insert(list,
                               pango_attr_size_new(static_cast<int>(font.points * PANGO_SCALE)));
    }
    if (font.bold) pango_attr_list_insert(list, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    if (font.underline)
        pango_attr_list_insert(list, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (fore) {
        const auto c = [&](int shift) {
            return static_cast<guint16>(((*fore >> shift) & 0xFF) * 257);
        };
        pango_attr_list_insert(list, pango_attr_foreground_new(c(0), c(8), c(16)));
    }
    return list;
}

void styleLabel(GtkWidget* label, const DialogFont& font, std::optional<DialogColour> fore) {
    if (!GTK_IS_LABEL(label)) return;
    PangoAttrList* list = textAttributes(font, fore);
    gtk_label_set_attributes(GTK_LABEL(label), list);
    pango_attr_list_unref(list);
}

float xAlign(TextAlign a) {
    return a == TextAlign::Left ? 0.0f : a == TextAlign::Center ? 0.5f : 1.0f;
}

// A control's rectangle in twips relative to the form.
TwipsRect formRect(const FormLayout& layout, int control) {
    TwipsRect r = layout.controls[static_cast<std::size_t>(control)].rect;
    for (int c = layout.controls[static_cast<std::size_t>(control)].container; c >= 0;
         c = layout.controls[static_cast<std::size_t>(c)].container) {
        r.left += layout.controls[static_cast<std::size_t>(c)].rect.left;
        r.top += layout.controls[static_cast<std::size_t>(c)].rect.top;
    }
    return r;
}

// True when the control's middle lies outside its group box: the box
// clips it away.
bool clippedAway(const FormLayout& layout, const ControlLayout& c) {
    if (c.container < 0) return false;
    const TwipsRect& box = layout.controls[static_cast<std::size_t>(c.container)].rect;
    const int midX = c.rect.left + c.rect.width / 2, midY = c.rect.top + c.rect.height / 2;
    return midX < 0 || midY < 0 || midX >= box.width || midY >= box.height;
}

}  // namespace

// --- One form --------------------------------------------------------------

class GtkDialog final : public DialogWindow {
  public:
    GtkDialog(GtkDialogSystem& system, const FormLayout& layout, DialogEvents& events);
    ~GtkDialog() override;

    std::uintptr_t handle() const override { return reinterpret_cast<std::uintptr_t>(window_); }
    void setCaption(int control, const std::string& text) override;
    void moveTwips(int left, int top) override;
    void show(bool modal) override;
    void unload() override;
    bool loaded() const override { return loaded_; }

    GtkWidget* window() const { return window_; }
    GtkWidget* widget(int control) const { return widgets_.at(static_cast<std::size_t>(control)); }

  protected:
    int readValue(int control) const override;
    void writeValue(int control, int value) override;

  private:
    void makeWidget(int control);
    void place(GtkWidget* fixed);
    void setFocusChain(GtkWidget* fixed);
    int px(double twips) const {
        return static_cast<int>(std::lround(twips * system_.pixelsPerTwip_));
    }
    void click(int control) {
        if (!settingValue_ && loaded_) controlPressed(control);
    }

    static void onClicked(GtkWidget* w, gpointer self);
    static gboolean onLabelPress(GtkWidget* w, GdkEventButton* e, gpointer self);
    static gboolean onKeyPress(GtkWidget* w, GdkEventKey* e, gpointer self);
    static gboolean onDelete(GtkWidget* w, GdkEvent* e, gpointer self);
    static void onRealizeToolWindow(GtkWidget* w, gpointer);
    static void onDestroy(GtkWidget* w, gpointer self);

    GtkDialogSystem& system_;
    GtkWidget* window_ = nullptr;
    std::vector<GtkWidget*> widgets_;  // per control: the widget that holds its value
    std::vector<GtkWidget*> outer_;    // per control: the widget placed on the form
    // The check boxes' values. A click toggles a GTK check button by
    // itself; the value changes as the form's press decides, and the box
    // then shows that.
    std::vector<int> checks_;
    bool loaded_ = true;
    bool settingValue_ = false;  // a value set by the form, not clicked by the user
};

namespace {
int controlOf(GtkWidget* w) {
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "gm-control"));
}
}  // namespace

GtkDialog::GtkDialog(GtkDialogSystem& system, const FormLayout& layout, DialogEvents& events)
    : DialogWindow(layout, events), system_(system), checks_(layout.controls.size(), 0) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* w = GTK_WINDOW(window_);
    gtk_window_set_title(w, layout.caption.c_str());
    gtk_window_set_resizable(w, FALSE);
    gtk_window_set_skip_taskbar_hint(w, TRUE);
    gtk_window_set_skip_pager_hint(w, TRUE);
    // Both forms are dialogs to the window manager, so neither stands for
    // the other's owner and a newer one can stack above an older one.
    gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DIALOG);
    if (layout.frame == FormFrame::None) {
        gtk_window_set_decorated(w, FALSE);
    } else {
        g_signal_connect_after(window_, "realize", G_CALLBACK(onRealizeToolWindow), nullptr);
    }
    gtk_window_set_position(w, layout.centreOnScreen ? GTK_WIN_POS_CENTER : GTK_WIN_POS_NONE);
    if (layout.backColour)
        addCss(window_, "window { background-color: " + cssColour(*layout.backColour) + "; }");

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, px(layout.widthTwips), px(layout.heightTwips));
    gtk_container_add(GTK_CONTAINER(window_), fixed);
    for (int i = 0; i < static_cast<int>(layout.controls.size()); ++i) makeWidget(i);
    place(fixed);
    setFocusChain(fixed);

    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKeyPress), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(onDestroy), this);
    ++system_.loadedForms_;
}

GtkDialog::~GtkDialog() {
    if (window_) gtk_widget_destroy(window_);
    if (loaded_) --system_.loadedForms_;
}

// Creates the control's widget; places it later.
void GtkDialog::makeWidget(int control) {
    const FormLayout& form = layout();
    const ControlLayout& c = form.controls[static_cast<std::size_t>(control)];
    const DialogFont& font = c.font ? *c.font : form.font;
    const bool formFont =
        c.font || !form.font.face.empty() || form.font.points > 0 || form.font.bold;
    GtkWidget* w = nullptr;
    GtkWidget* outer = nullptr;
    switch (c.kind) {
        case ControlKind::GroupBox:
            w = gtk_frame_new(c.caption.c_str());
            if (formFont) styleLabel(gtk_frame_get_label_widget(GTK_FRAME(w)), font, c.foreColour);
            break;
        case ControlKind::Label: {
            w = gtk_label_new(c.caption.c_str());
            gtk_label_set_xalign(GTK_LABEL(w), xAlign(c.align));
            gtk_label_set_yalign(GTK_LABEL(w), 0);
            gtk_label_set_justify(GTK_LABEL(w), c.align == TextAlign::Center  ? GTK_JUSTIFY_CENTER
                                                : c.align == TextAlign::Right ? GTK_JUSTIFY_RIGHT
                                                                              : GTK_JUSTIFY_LEFT);
            gtk_label_set_line_wrap(GTK_LABEL(w), TRUE);
            styleLabel(w, font, c.foreColour);
            if (c.backColour)
                addCss(w, "label { background-color: " + cssColour(*c.backColour) + "; }");
            if (c.clickable) {
                outer = gtk_event_box_new();
                gtk_event_box_set_visible_window(GTK_EVENT_BOX(outer), FALSE);
                gtk_container_add(GTK_CONTAINER(outer), w);
                g_object_set_data(G_OBJECT(outer), "gm-control", GINT_TO_POINTER(control));
                g_signal_connect(outer, "button-press-event", G_CALLBACK(onLabelPress), this);
            }
            break;
        }
        case ControlKind::HScroll: {
            GtkAdjustment* adj =
                gtk_adjustment_new(c.value, c.min, c.max, c.smallChange, c.largeChange, 0);
            w = gtk_scale_new(GTK_ORIENTATION_HORIZONTAL, adj);
            gtk_scale_set_draw_value(GTK_SCALE(w), FALSE);
            gtk_scale_set_digits(GTK_SCALE(w), 0);
            gtk_range_set_round_digits(GTK_RANGE(w), 0);
            break;
        }
        case ControlKind::CheckBox:
            w = gtk_check_button_new_with_mnemonic(mnemonicText(c.caption).c_str());
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), c.value == 1);
            gtk_toggle_button_set_inconsistent(GTK_TOGGLE_BUTTON(w), c.value == 2);
            checks_[static_cast<std::size_t>(control)] = c.value;
            if (formFont) styleLabel(gtk_bin_get_child(GTK_BIN(w)), font, c.foreColour);
            break;
        case ControlKind::PictureButton:
        case ControlKind::TextButton: {
            w = gtk_button_new_with_mnemonic(mnemonicText(c.caption).c_str());
            GtkWidget* label = gtk_bin_get_child(GTK_BIN(w));
            // A caption wider than the button breaks between its words.
            gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
            gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
            if (formFont) styleLabel(label, font, c.foreColour);
            if (c.kind == ControlKind::PictureButton && c.picture) {
                const int side = px(kIconSide * kTwipsPerInch / kDefaultDpi);
                GdkPixbuf* icon = pixbufOf(c.picture, c.pictureMask, side, side);
                gtk_button_set_image(GTK_BUTTON(w), gtk_image_new_from_pixbuf(icon));
                g_object_unref(icon);
                gtk_button_set_image_position(GTK_BUTTON(w), GTK_POS_TOP);
                gtk_button_set_always_show_image(GTK_BUTTON(w), TRUE);
            }
            if (c.backColour) {
                addCss(w, "button { background-image: none; background-color: " +
                              cssColour(*c.backColour) + "; }");
            }
            break;
        }
        case ControlKind::Image:
            if (c.picture) {
                GdkPixbuf* picture =
                    pixbufOf(c.picture, c.pictureMask, std::max(1, px(c.rect.width)),
                             std::max(1, px(c.rect.height)));
                w = gtk_image_new_from_pixbuf(picture);
                g_object_unref(picture);
            } else {
                w = gtk_image_new();
            }
            break;
    }
    if (GTK_IS_BUTTON(w)) {
        g_object_set_data(G_OBJECT(w), "gm-control", GINT_TO_POINTER(control));
        g_signal_connect(w, "clicked", G_CALLBACK(onClicked), this);
    }
    gtk_widget_set_sensitive(w, c.enabled);
    if (!outer) outer = w;
    if (clippedAway(form, c)) gtk_widget_set_no_show_all(outer, TRUE);
    widgets_.push_back(w);
    outer_.push_back(outer);
}

// Puts every control at its twips place; one the toolkit makes taller than
// its box stands centred on the box.
void GtkDialog::place(GtkWidget* fixed) {
    const FormLayout& form = layout();
    for (std::size_t i = 0; i < outer_.size(); ++i) {
        const TwipsRect r = formRect(form, static_cast<int>(i));
        const int width = px(r.width), height = px(r.height);
        gtk_widget_set_size_request(outer_[i], width, height);
        gtk_fixed_put(GTK_FIXED(fixed), outer_[i], px(r.left), px(r.top));
    }
    for (std::size_t i = 0; i < outer_.size(); ++i) {
        const TwipsRect r = formRect(form, static_cast<int>(i));
        int least = 0;
        gtk_widget_get_preferred_height_for_width(outer_[i], px(r.width), &least, nullptr);
        if (least > px(r.height)) {
            gtk_fixed_move(GTK_FIXED(fixed), outer_[i], px(r.left),
                           px(r.top) - (least - px(r.height)) / 2);
        }
    }
    for (std::size_t i = 0; i < outer_.size(); ++i) {
        if (!form.controls[i].defaultButton) continue;
        gtk_widget_set_can_default(widgets_[i], TRUE);
        gtk_window_set_default(GTK_WINDOW(window_), widgets_[i]);
    }
}

// The controls that take the focus, in the form's tab order.
void GtkDialog::setFocusChain(GtkWidget* fixed) {
    const FormLayout& form = layout();
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        if (form.controls[i].tabIndex >= 0) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return form.controls[a].tabIndex < form.controls[b].tabIndex;
    });
    GList* chain = nullptr;
    for (std::size_t i : order) chain = g_list_append(chain, outer_[i]);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(fixed), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
        if (form.controls[i].tabIndex < 0 && GTK_IS_BUTTON(widgets_[i])) {
            gtk_widget_set_can_focus(widgets_[i], FALSE);
        }
    }
}

void GtkDialog::setCaption(int control, const std::string& text) {
    GtkWidget* w = widget(control);
    if (GTK_IS_LABEL(w)) {
        gtk_label_set_text(GTK_LABEL(w), text.c_str());
    } else if (GTK_IS_FRAME(w)) {
        gtk_frame_set_label(GTK_FRAME(w), text.c_str());
    } else if (GTK_IS_BUTTON(w)) {
        gtk_label_set_text_with_mnemonic(GTK_LABEL(gtk_bin_get_child(GTK_BIN(w))),
                                         mnemonicText(text).c_str());
    }
}

void GtkDialog::moveTwips(int left, int top) {
    if (window_) gtk_window_move(GTK_WINDOW(window_), px(left), px(top));
}

void GtkDialog::show(bool modal) {
    if (!loaded_) return;
    gtk_window_set_modal(GTK_WINDOW(window_), modal);
    // Without an owner to stand on, a modal form keeps above the others.
    gtk_window_set_keep_above(GTK_WINDOW(window_), modal);
    gtk_widget_show_all(window_);
    gtk_window_present(GTK_WINDOW(window_));
    while (modal && loaded_) g_main_context_iteration(nullptr, TRUE);
}

void GtkDialog::unload() {
    if (!loaded_) return;
    loaded_ = false;
    --system_.loadedForms_;
    events().onUnload();
    if (window_) gtk_widget_destroy(window_);
}

int GtkDialog::readValue(int control) const {
    GtkWidget* w = widget(control);
    if (GTK_IS_RANGE(w)) return static_cast<int>(std::lround(gtk_range_get_value(GTK_RANGE(w))));
    if (GTK_IS_TOGGLE_BUTTON(w)) return checks_.at(static_cast<std::size_t>(control));
    return 0;
}

void GtkDialog::writeValue(int control, int value) {
    GtkWidget* w = widget(control);
    settingValue_ = true;
    if (GTK_IS_RANGE(w)) {
        gtk_range_set_value(GTK_RANGE(w), value);
    } else if (GTK_IS_TOGGLE_BUTTON(w)) {
        checks_.at(static_cast<std::size_t>(control)) = value;
        gtk_toggle_button_set_inconsistent(GTK_TOGGLE_BUTTON(w), value == 2);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), value == 1);
    }
    settingValue_ = false;
}

void GtkDialog::onClicked(GtkWidget* w, gpointer self) {
    static_cast<GtkDialog*>(self)->click(controlOf(w));
}

gboolean GtkDialog::onLabelPress(GtkWidget* w, GdkEventButton* e, gpointer self) {
    // Each press is a click: two quick ones are two clicks, not one double click.
    if (e->type != GDK_BUTTON_PRESS || e->button != GDK_BUTTON_PRIMARY) return FALSE;
    static_cast<GtkDialog*>(self)->click(controlOf(w));
    return TRUE;
}

// Escape and Enter go to the form's rules; Enter on a focused push button
// presses that button, as GTK does it.
gboolean GtkDialog::onKeyPress(GtkWidget* w, GdkEventKey* e, gpointer self) {
    auto* d = static_cast<GtkDialog*>(self);
    switch (e->keyval) {
        case GDK_KEY_Escape:
            d->keyPressed(Key::Escape);
            return TRUE;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter: {
            GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(w));
            if (focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
            d->keyPressed(Key::Enter);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

// A tool window moves and closes; the window manager offers nothing else.
void GtkDialog::onRealizeToolWindow(GtkWidget* w, gpointer) {
    GdkWindow* gdk = gtk_widget_get_window(w);
    gdk_window_set_decorations(gdk, GdkWMDecoration(GDK_DECOR_BORDER | GDK_DECOR_TITLE));
    gdk_window_set_functions(gdk, GdkWMFunction(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
}

gboolean GtkDialog::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkDialog*>(self)->unload();
    return TRUE;
}

void GtkDialog::onDestroy(GtkWidget*, gpointer self) {
    static_cast<GtkDialog*>(self)->window_ = nullptr;
}

// --- The dialog system -----------------------------------------------------

namespace {
// A termination signal ends the program from GTK's loop as it ends a show,
// with status 0; the settings stay as they were stored (as on Cancel).
gboolean onTermination(gint, GIOCondition, gpointer) {
    platform().exitProcess(0);
    return G_SOURCE_REMOVE;  // a platform whose exitProcess returns (a test's) stops watching
}
}  // namespace

std::unique_ptr<GtkDialogSystem> GtkDialogSystem::open() {
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    std::unique_ptr<GtkDialogSystem> system(new GtkDialogSystem);
    posix::watchTermination();
    g_unix_fd_add(posix::terminationFd(), G_IO_IN, onTermination, nullptr);
    const double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
    system->pixelsPerTwip_ = (dpi > 0 ? dpi : kDefaultDpi) / kTwipsPerInch;
    // A click in a slider's track moves it by its large step, as the form's
    // scroll bars do, instead of jumping to the pointer.
    g_object_set(gtk_settings_get_default(), "gtk-primary-button-warps-slider", FALSE, nullptr);
    return system;
}

std::unique_ptr<DialogWindow> GtkDialogSystem::loadForm(const FormLayout& layout,
                                                        DialogEvents& events) {
    return std::make_unique<GtkDialog>(*this, layout, events);
}

ScreenTwips GtkDialogSystem::screenTwips() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{};
    if (monitor) gdk_monitor_get_geometry(monitor, &area);
    return {static_cast<int>(std::lround(area.width / pixelsPerTwip_)),
            static_cast<int>(std::lround(area.height / pixelsPerTwip_))};
}

void GtkDialogSystem::ShellExecuteA(std::uintptr_t owner, const std::string& operation,
                                    const std::string& file, const std::string&, const std::string&,
                                    int) {
    if (!operation.empty() && g_ascii_strcasecmp(operation.c_str(), "open") != 0) return;
    GtkWindow* parent = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* i = toplevels; i; i = i->next) {
        if (reinterpret_cast<std::uintptr_t>(i->data) == owner) parent = GTK_WINDOW(i->data);
    }
    g_list_free(toplevels);
    GError* error = nullptr;
    if (gtk_show_uri_on_window(parent, file.c_str(), GDK_CURRENT_TIME, &error)) return;
    g_clear_error(&error);
    gchar* argv[] = {const_cast<gchar*>("xdg-open"), const_cast<gchar*>(file.c_str()), nullptr};
    g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr);
}

void GtkDialogSystem::run() {
    while (loadedForms_ > 0) g_main_context_iteration(nullptr, TRUE);
}

GtkWidget* GtkDialogSystem::widget(DialogWindow& form, int control) {
    return static_cast<GtkDialog&>(form).widget(control);
}

GtkWidget* GtkDialogSystem::window(DialogWindow& form) {
    return static_cast<GtkDialog&>(form).window();
}

}  // namespace gm
