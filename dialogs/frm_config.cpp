#include "dialogs/frm_config.h"

#include <string>

#include "basic/numeric.h"
#include "common/settings.h"
#include "dialogs/frm_info.h"
#include "errors/trap.h"

namespace gm {
namespace {

constexpr int kSliderMin = 1, kSliderMax = 100, kSmallStep = 5, kLargeStep = 20;
constexpr int kDesignPosition = 50;
constexpr int kChecked = 1;

// The float fields and their sliders: position = nearest((field - base) *
// stepsPerUnit), field = position * unitsPerStep + base. maxFl (HScroll 0)
// has its own integer mapping.
struct FloatSlider {
    int hscroll;
    Single Settings::*field;
    double base, stepsPerUnit, unitsPerStep;
};
constexpr FloatSlider kFloatSliders[] = {
    {1, &Settings::SpeedF, 2, 12.5, 0.08},   {2, &Settings::Size, 2, 12.5, 0.08},
    {3, &Settings::SpeedS, 0.03, 100, 0.01}, {4, &Settings::SpeedO, 2, 12.5, 0.08},
    {5, &Settings::Speed, 0, 10, 0.1},
};

// A control array's element name: "HScroll(5)".
std::string indexed(std::string name, int index) {
    return name.append("(").append(std::to_string(index)).append(")");
}

// Builds the description; the order of the controls is their creation order,
// a group box before what it holds.
class LayoutBuilder {
  public:
    FormLayout layout;
    FrmConfigControls ids;

    int add(ControlLayout c) {
        layout.controls.push_back(std::move(c));
        return static_cast<int>(layout.controls.size()) - 1;
    }
    int frame(const char* name, const char* caption, TwipsRect r) {
        return add({.name = name, .kind = ControlKind::GroupBox, .caption = caption, .rect = r});
    }
    void label(int frame, const std::string& name, const char* caption, TwipsRect r) {
        add({.name = name,
             .kind = ControlKind::Label,
             .caption = caption,
             .container = frame,
             .rect = r});
    }
    // A slider with its bold "-" below its left end and "+" below its right end.
    void slider(int frame, int index, int tab, TwipsRect r, int minusLeft, int plusLeft) {
        ids.HScroll[static_cast<std::size_t>(index)] = add({.name = indexed("HScroll", index),
                                                            .kind = ControlKind::HScroll,
                                                            .container = frame,
                                                            .rect = r,
                                                            .tabIndex = tab,
                                                            .min = kSliderMin,
                                                            .max = kSliderMax,
                                                            .smallChange = kSmallStep,
                                                            .largeChange = kLargeStep,
                                                            .value = kDesignPosition});
        const DialogFont bold{.bold = true};
        add({.name = indexed("Label1", index),
             .kind = ControlKind::Label,
             .caption = "-",
             .container = frame,
             .rect = {minusLeft, r.top + 240, 300, 225},
             .font = bold});
        add({.name = indexed("Label2", index),
             .kind = ControlKind::Label,
             .caption = "+",
             .container = frame,
             .rect = {plusLeft, r.top + 240, 300, 225},
             .align = TextAlign::Right,
             .font = bold});
    }
    void check(int frame, int index, const char* caption, int top, bool enabled) {
        ids.chkOpt[static_cast<std::size_t>(index)] = add({.name = indexed("chkOpt", index),
                                                           .kind = ControlKind::CheckBox,
                                                           .caption = caption,
                                                           .container = frame,
                                                           .rect = {240, top, 2000, 255},
                                                           .tabIndex = 6 + index,
                                                           .enabled = enabled,
                                                           .value = kChecked});
    }
    int button(const char* name, ControlKind kind, const char* caption, TwipsRect r, int tab,
               int icon) {
        return add({.name = name,
                    .kind = kind,
                    .caption = caption,
                    .rect = r,
                    .tabIndex = tab,
                    .defaultButton = std::string(name) == "cmdOK",
                    .align = TextAlign::Center,
                    .picture = icon,
                    .pictureMask = icon ? icon + 1 : 0});
    }
};

LayoutBuilder makeLayout() {
    LayoutBuilder b;
    FormLayout& f = b.layout;
    f.name = "frmConfig";
    f.caption = "Glintmoor  ---  Settings / Einstellungen...";
    f.frame = FormFrame::ToolWindow;
    f.widthTwips = 5940;
    f.heightTwips = 5220;

    const int general = b.frame("Frame(0)", "General speed / Grundtempo", {120, 120, 5625, 855});
    b.slider(general, 5, 0, {240, 360, 5100, 255}, 300, 5000);

    const int flakes = b.frame("Frame(1)", "Snowflakes / Schneeflocken", {120, 1080, 2715, 2655});
    b.label(flakes, "Label3(0)", "Density / Dichte", {240, 360, 1815, 255});
    b.slider(flakes, 0, 1, {240, 600, 2200, 200}, 300, 2100);
    b.label(flakes, "Label3(1)", "Speed / Tempo", {240, 1080, 1815, 255});
    b.slider(flakes, 1, 2, {240, 1320, 2200, 200}, 300, 2100);
    b.label(flakes, "Label3(2)", "Size / Größe", {240, 1800, 1815, 255});
    b.slider(flakes, 2, 3, {240, 2040, 2200, 200}, 300, 2100);

    const int clouds = b.frame("Frame(4)", "Cloud speed / Wolken-Tempo", {3000, 1080, 2745, 855});
    b.slider(clouds, 3, 4, {240, 360, 2200, 200}, 300, 2100);
    const int objects = b.frame("Frame(7)", "Object speed / Objekt-Tempo", {3000, 2040, 2745, 855});
    b.slider(objects, 4, 5, {240, 360, 2200, 200}, 240, 2100);

    // The last two boxes lie below the group's 1215-twip height: never seen.
    const int options = b.frame("Frame(8)", "Options / Optionen", {120, 3840, 2715, 1215});
    b.check(options, 0, "Date / Datum", 240, true);
    b.check(options, 1, "Time/ Uhrzeit", 720, true);
    b.check(options, 2, "Sound / Geräusche", 1200, false);
    b.check(options, 3, "Music / Musik", 1680, false);

    using K = ControlKind;
    b.ids.cmdHomepage =
        b.button("cmdHomepage", K::PictureButton, "&WWW...", {3120, 3000, 1200, 975}, 10, 311);
    b.ids.cmdInfo =
        b.button("cmdInfo", K::PictureButton, "&Info...", {4560, 3000, 1200, 975}, 11, 313);
    b.ids.cmdReset =
        b.button("cmdReset", K::TextButton, "&Default Standard", {3120, 4080, 1200, 975}, 12, 0);
    b.ids.cmdOK = b.button("cmdOK", K::PictureButton, "&OK", {4560, 4080, 1200, 975}, 13, 315);
    return b;
}

const LayoutBuilder& built() {
    static const LayoutBuilder b = makeLayout();
    return b;
}

// Runs one control assignment of Form_Load: a value the control rejects
// (380) is skipped without a word, so the control keeps its design state;
// every other error goes on to the trap.
template <typename Assignment>
void unlessInvalid(Assignment&& assign) {
    try {
        assign();
    } catch (const VbError& e) {
        if (e.number() != err::InvalidPropertyValue) throw;
    }
}

std::unique_ptr<FrmConfig> gFrmConfig;

}  // namespace

const FormLayout& frmConfigLayout() { return built().layout; }
const FrmConfigControls& frmConfigControls() { return built().ids; }

FrmConfig::FrmConfig() : window_(dialogSystem().loadForm(frmConfigLayout(), *this)) { Form_Load(); }

FrmConfig::~FrmConfig() = default;

void FrmConfig::Show() { window_->show(false); }

void FrmConfig::Form_Load() {
    const FrmConfigControls& c = frmConfigControls();
    Settings& s = settings();
    trapped("frmConfig", "Form_Load", [&](Trap& at) {
        at(50010, [&] {
            unlessInvalid([&] {
                const Int16 above = s.maxFl - 20;  // 16-bit: overflows below -32748
                window_->setValue(c.HScroll[0], roundHalfEven(above * 0.5556));
            });
        });
        int line = 50020;
        for (const FloatSlider& f : kFloatSliders) {
            at(line, [&] {
                unlessInvalid([&] {
                    const double steps =
                        (static_cast<double>(s.*f.field) - f.base) * f.stepsPerUnit;
                    window_->setValue(c.HScroll[static_cast<std::size_t>(f.hscroll)],
                                      roundHalfEven(steps));
                });
            });
            line += 10;
        }
        at(50070, [&] { unlessInvalid([&] { window_->setValue(c.chkOpt[0], s.Date); }); });
        at(50080, [&] { unlessInvalid([&] { window_->setValue(c.chkOpt[1], s.Time); }); });
    });
}

void FrmConfig::cmdOK_Click() {
    const FrmConfigControls& c = frmConfigControls();
    Settings& s = settings();
    trapped("frmConfig", "cmdOK_Click", [&](Trap& at) {
        at(50010, [&] { s.maxFl = CInt(window_->value(c.HScroll[0]) * 1.8 + 20); });
        int line = 50020;
        for (const FloatSlider& f : kFloatSliders) {
            at(line, [&] {
                const int v = window_->value(c.HScroll[static_cast<std::size_t>(f.hscroll)]);
                s.*f.field = static_cast<Single>(v * f.unitsPerStep + f.base);
            });
            line += 10;
        }
        at(50070, [&] { s.Date = window_->value(c.chkOpt[0]); });
        at(50080, [&] { s.Time = window_->value(c.chkOpt[1]); });
        at(50090, [&] { SaveConfig(); });
        at(50100, [&] { window_->unload(); });
    });
}

void FrmConfig::cmdReset_Click() {
    const FrmConfigControls& c = frmConfigControls();
    trapped("frmConfig", "cmdReset_Click", [&](Trap& at) {
        at(50010, [&] {
            for (int h : c.HScroll) window_->setValue(h, kDesignPosition);
        });
        at(50020, [&] {
            for (int k : c.chkOpt) window_->setValue(k, kChecked);
        });
    });
}

void FrmConfig::cmdInfo_Click() {
    trapped("frmConfig", "cmdInfo_Click", [&](Trap& at) {
        at(50010, [&] {
            FrmInfo info;
            info.ShowModal();
        });
    });
}

void FrmConfig::cmdHomepage_Click() {
    trapped("frmConfig", "cmdhomepage_Click", [&](Trap& at) {
        at(50010, [&] {
            dialogSystem().ShellExecuteA(window_->handle(), "Open", kConfigHomepage, "", "",
                                         kSwShowNormal);
        });
    });
}

void FrmConfig::onClick(int control) {
    const FrmConfigControls& c = frmConfigControls();
    if (control == c.cmdOK)
        cmdOK_Click();
    else if (control == c.cmdReset)
        cmdReset_Click();
    else if (control == c.cmdInfo)
        cmdInfo_Click();
    else if (control == c.cmdHomepage)
        cmdHomepage_Click();
}

void showFrmConfig() {
    gFrmConfig = std::make_unique<FrmConfig>();
    gFrmConfig->Show();
}

}  // namespace gm
