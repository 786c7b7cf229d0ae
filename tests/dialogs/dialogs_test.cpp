// frmConfig and frmInfo on the headless dialog system: what Form_Load shows
// for stored values, what OK stores, Default, the keys, the about box's
// place and its home page line, and the names under which errors are reported.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/settings.h"
#include "dialogs/frm_config.h"
#include "dialogs/frm_info.h"
#include "errors/trap.h"
#include "platform/headless/headless_dialog.h"
#include "platform/headless/headless_platform.h"

namespace gm {
namespace {

struct Report {
    std::string module, proc;
    int number, line;
    bool operator==(const Report&) const = default;
};
std::vector<Report> gReports;

Int16 recordAndLeave(const std::string& module, const std::string& proc) {
    gReports.push_back({module, proc, Err().number, Err().line});
    return 2;
}

const char* const kSliders[] = {"HScroll(0)", "HScroll(1)", "HScroll(2)",
                                "HScroll(3)", "HScroll(4)", "HScroll(5)"};

class DialogTest : public ::testing::Test {
  protected:
    DialogTest() {
        setPlatform(&platform);
        setDialogSystem(&dialogs);
        setErrorHandler(&recordAndLeave);
        gReports.clear();
    }
    ~DialogTest() override {
        setErrorHandler(nullptr);
        setDialogSystem(nullptr);
        setPlatform(nullptr);
    }
    void put(const std::string& key, const std::string& value) {
        platform.memoryStore().SaveSetting("Glintmoor", "Settings", key, value);
    }
    std::map<std::string, std::string> stored() {
        std::map<std::string, std::string> m;
        for (const auto& [k, v] : platform.memoryStore().values) m[k.substr(k.rfind('/') + 1)] = v;
        return m;
    }
    // Loads the settings and opens the dialog as Main does.
    HeadlessDialog& open() {
        LoadConfig();
        config = std::make_unique<FrmConfig>();
        config->Show();
        return *dialogs.find("frmConfig");
    }

    HeadlessPlatform platform;
    HeadlessDialogSystem dialogs;
    std::unique_ptr<FrmConfig> config;
};

using Stored = std::map<std::string, std::string>;
const Stored kDefaults = {{"maxFl", "110"}, {"SpeedF", "6"}, {"Size", "6"}, {"SpeedS", "0.53"},
                          {"SpeedO", "6"},  {"Speed", "5"},  {"Date", "1"}, {"Time", "1"}};

// --- Form_Load: stored value -> control, rejected values skipped ----------------

struct LoadCase {
    const char* key;
    const char* value;
    const char* control;
    int shown;
};
class FormLoad : public DialogTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(FormLoad, ShowsTheMappedPositionOrKeepsTheDesignState) {
    const LoadCase& c = GetParam();
    put(c.key, c.value);
    HeadlessDialog& d = open();
    EXPECT_EQ(d.get(c.control), c.shown);
    // Every other control keeps its default look.
    for (const char* s : kSliders) {
        if (std::string(s) != c.control) {
            EXPECT_EQ(d.get(s), 50) << s;
        }
    }
    for (const char* k : {"chkOpt(0)", "chkOpt(1)", "chkOpt(2)", "chkOpt(3)"}) {
        if (std::string(k) != c.control) {
            EXPECT_EQ(d.get(k), 1) << k;
        }
    }
    EXPECT_TRUE(gReports.empty());
    EXPECT_TRUE(d.shown());
    EXPECT_FALSE(d.modal());
}
INSTANTIATE_TEST_SUITE_P(
    Dialogs, FormLoad,
    ::testing::Values(
        LoadCase{"maxFl", "110", "HScroll(0)", 50}, LoadCase{"maxFl", "23", "HScroll(0)", 2},
        LoadCase{"maxFl", "22", "HScroll(0)", 1}, LoadCase{"maxFl", "200", "HScroll(0)", 100},
        LoadCase{"maxFl", "20", "HScroll(0)", 50}, LoadCase{"maxFl", "300", "HScroll(0)", 50},
        LoadCase{"SpeedF", "2.08", "HScroll(1)", 1}, LoadCase{"Size", "10", "HScroll(2)", 100},
        LoadCase{"SpeedS", "0.03", "HScroll(3)", 50}, LoadCase{"SpeedS", "0.04", "HScroll(3)", 1},
        LoadCase{"SpeedS", "1.03", "HScroll(3)", 100}, LoadCase{"SpeedO", "1e30", "HScroll(4)", 50},
        LoadCase{"Speed", "20", "HScroll(5)", 50}, LoadCase{"Speed", "0.1", "HScroll(5)", 1},
        LoadCase{"Date", "0", "chkOpt(0)", 0}, LoadCase{"Date", "2", "chkOpt(0)", 2},
        LoadCase{"Time", "3", "chkOpt(1)", 1}, LoadCase{"Time", "-1", "chkOpt(1)", 1}));

TEST_F(DialogTest, OverflowOfTheDensitySubtractionIsReportedAndLoadingGoesOn) {
    put("maxFl", "-32760");
    put("Date", "0");
    HeadlessDialog& d = open();
    EXPECT_EQ(gReports, (std::vector<Report>{{"frmConfig", "Form_Load", 6, 50010}}));
    EXPECT_EQ(d.get("HScroll(0)"), 50);
    // The trap's answer 2 leaves Form_Load: what follows keeps its design state.
    EXPECT_EQ(d.get("chkOpt(0)"), 1);
}

// --- OK: control -> field -> store ------------------------------------------------

TEST_F(DialogTest, OkAtOnceOnAnEmptyStoreStoresTheDefaultsAndNotSnowman) {
    put("Snowman", "0");
    HeadlessDialog& d = open();
    d.pressEnter();  // OK is the default button
    Stored expected = kDefaults;
    expected["Snowman"] = "0";
    EXPECT_EQ(stored(), expected);
    EXPECT_FALSE(d.loaded());
    EXPECT_TRUE(gReports.empty());
}

struct OkCase {
    std::vector<std::pair<const char*, const char*>> before;  // stored before opening
    std::vector<std::pair<const char*, int>> moved;           // controls set by the user
    Stored changes;  // stored values that differ from kDefaults
};
class OkStores : public DialogTest, public ::testing::WithParamInterface<OkCase> {};

TEST_P(OkStores, WhatTheControlsShow) {
    for (const auto& [k, v] : GetParam().before) put(k, v);
    HeadlessDialog& d = open();
    for (const auto& [c, v] : GetParam().moved) d.set(c, v);
    d.click("cmdOK");
    Stored expected = kDefaults;
    for (const auto& [k, v] : GetParam().changes) expected[k] = v;
    EXPECT_EQ(stored(), expected);
}
INSTANTIATE_TEST_SUITE_P(
    Dialogs, OkStores,
    ::testing::Values(
        OkCase{{{"maxFl", "23"}}, {}, {{"maxFl", "24"}}},  // shown at 2, which is 23.6
        OkCase{{{"Speed", "20"}}, {}, {}},                 // rejected: stays 50, stores 5
        OkCase{{{"SpeedS", "0.03"}}, {}, {}}, OkCase{{}, {{"HScroll(0)", 1}}, {{"maxFl", "22"}}},
        OkCase{{}, {{"HScroll(0)", 100}}, {{"maxFl", "200"}}},
        OkCase{{},
               {{"HScroll(1)", 1},
                {"HScroll(2)", 100},
                {"HScroll(3)", 1},
                {"HScroll(4)", 100},
                {"HScroll(5)", 1},
                {"chkOpt(0)", 0}},
               {{"SpeedF", "2.08"},
                {"Size", "10"},
                {"SpeedS", "0.04"},
                {"SpeedO", "10"},
                {"Speed", "0.1"},
                {"Date", "0"}}},
        OkCase{{},
               {{"HScroll(3)", 100}, {"HScroll(5)", 100}, {"HScroll(1)", 3}, {"chkOpt(1)", 0}},
               {{"SpeedS", "1.03"}, {"Speed", "10"}, {"SpeedF", "2.24"}, {"Time", "0"}}},
        OkCase{{{"Date", "2"}}, {}, {{"Date", "2"}}}));  // grayed box keeps its value

// --- Default, the close button, Escape ----------------------------------------------

TEST_F(DialogTest, DefaultThenCloseStoresNothingDefaultThenOkStoresTheDefaults) {
    put("maxFl", "200");
    put("Date", "0");
    HeadlessDialog& d = open();
    d.set("HScroll(4)", 7);
    d.click("cmdReset");
    for (const char* s : kSliders) EXPECT_EQ(d.get(s), 50) << s;
    for (const char* k : {"chkOpt(0)", "chkOpt(1)", "chkOpt(2)", "chkOpt(3)"})
        EXPECT_EQ(d.get(k), 1);
    const Stored before = stored();
    d.pressEscape();  // no Cancel: nothing happens
    EXPECT_TRUE(d.loaded());
    d.closeButton();
    EXPECT_EQ(stored(), before);

    HeadlessDialog& again = open();
    again.click("cmdReset");
    again.click("cmdOK");
    EXPECT_EQ(stored(), kDefaults);
}

TEST_F(DialogTest, SlidersAndBoxesRejectValuesTheyDoNotTake) {
    HeadlessDialog& d = open();
    for (int bad : {0, 101, -5}) EXPECT_THROW(d.set("HScroll(2)", bad), VbError);
    EXPECT_THROW(d.set("chkOpt(1)", 3), VbError);
    EXPECT_EQ(d.get("HScroll(2)"), 50);
    const ControlLayout& s =
        frmConfigLayout().controls[static_cast<std::size_t>(d.control("HScroll(2)"))];
    EXPECT_EQ((std::vector<int>{s.min, s.max, s.smallChange, s.largeChange}),
              (std::vector<int>{1, 100, 5, 20}));
}

TEST_F(DialogTest, TabOrderRunsThroughTheControlsAsListed) {
    std::vector<std::string> order(14);
    for (const ControlLayout& c : frmConfigLayout().controls)
        if (c.tabIndex >= 0) order.at(static_cast<std::size_t>(c.tabIndex)) = c.name;
    EXPECT_EQ(order, (std::vector<std::string>{"HScroll(5)", "HScroll(0)", "HScroll(1)",
                                               "HScroll(2)", "HScroll(3)", "HScroll(4)",
                                               "chkOpt(0)", "chkOpt(1)", "chkOpt(2)", "chkOpt(3)",
                                               "cmdHomepage", "cmdInfo", "cmdReset", "cmdOK"}));
}

// --- The about box -----------------------------------------------------------------

struct Placement {
    int screenWidth, screenHeight, left, top;  // pixels at 15 twips each
};
class AboutPlacement : public DialogTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(AboutPlacement, CentredByTheTwipsRule) {
    const Placement& p = GetParam();
    HeadlessDialogSystem screen({p.screenWidth * 15, p.screenHeight * 15});
    setDialogSystem(&screen);
    FrmInfo info;
    const auto& w = static_cast<HeadlessDialog&>(info.window());
    EXPECT_EQ(w.left() / 15, p.left);
    EXPECT_EQ(w.top() / 15, p.top);
    EXPECT_EQ(w.caption("Label(0)"), "Glintmoor Screensaver");
    EXPECT_EQ(w.caption("Label(1)"), "1.0.310");
}
INSTANTIATE_TEST_SUITE_P(Dialogs, AboutPlacement,
                         ::testing::Values(Placement{640, 480, 142, 75},
                                           Placement{1024, 768, 334, 219}));

TEST_F(DialogTest, InfoIsModalAndHomePagesOpenInTheBrowser) {
    HeadlessDialog& d = open();
    d.click("cmdHomepage");
    std::uintptr_t infoHandle = 0;
    dialogs.whileModal = [&](HeadlessDialog& info) {
        infoHandle = info.handle();
        EXPECT_EQ(info.layout().name, "frmInfo");
        info.click("lblHomepage");
        info.click("lblHomepage");
        EXPECT_TRUE(info.loaded());  // the box stays
        info.pressEscape();          // Escape presses OK
    };
    d.click("cmdInfo");
    ASSERT_NE(infoHandle, 0u);
    EXPECT_EQ(dialogs.shellCalls(),
              (std::vector<ShellExecuteCall>{
                  {d.handle(), "Open", "https://www.glintmoor.example/", "", "", 1},
                  {infoHandle, "Open", "https://glintmoor.example/saver", "", "", 1},
                  {infoHandle, "Open", "https://glintmoor.example/saver", "", "", 1}}));
    EXPECT_TRUE(d.loaded());
    EXPECT_TRUE(gReports.empty());
}

// --- Errors are reported under the form's and handler's names ---------------------

// Every shell call fails; the forms come from the headless system.
class FailingShell final : public DialogSystem {
  public:
    std::unique_ptr<DialogWindow> loadForm(const FormLayout& s, DialogEvents& e) override {
        return inner.loadForm(s, e);
    }
    ScreenTwips screenTwips() override { return inner.screenTwips(); }
    void ShellExecuteA(std::uintptr_t, const std::string&, const std::string&, const std::string&,
                       const std::string&, int) override {
        raise(err::InvalidCall);
    }
    HeadlessDialogSystem inner;
};

TEST_F(DialogTest, HandlersReportUnderTheirOwnNames) {
    FailingShell failing;
    setDialogSystem(&failing);
    LoadConfig();
    FrmConfig form;
    auto& d = static_cast<HeadlessDialog&>(form.window());
    d.click("cmdHomepage");
    failing.inner.whileModal = [](HeadlessDialog& info) {
        info.click("lblHomepage");
        info.click("ok");
    };
    d.click("cmdInfo");
    EXPECT_EQ(gReports, (std::vector<Report>{{"frmConfig", "cmdhomepage_Click", 5, 50010},
                                             {"frmInfo", "lblHomepage_Click", 5, 50010}}));
}

}  // namespace
}  // namespace gm
