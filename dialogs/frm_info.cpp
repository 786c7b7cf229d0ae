#include "dialogs/frm_info.h"

#include "basic/numeric.h"
#include "errors/trap.h"

namespace gm {
namespace {

constexpr DialogColour kWhite = 0xFFFFFF;
constexpr DialogColour kDarkBlue = 128 << 16;  // red 0, green 0, blue 128
constexpr DialogColour kDarkRed = 128;
constexpr DialogColour kLinkBlue = 192 << 16;
constexpr DialogColour kButtonGrey = 0xC0C0C0;

DialogFont font(double points, bool bold, bool underline = false) {
    return {"MS Sans Serif", points, bold, underline};
}

FormLayout makeLayout() {
    using K = ControlKind;
    using A = TextAlign;
    FormLayout f;
    f.name = "frmInfo";
    f.frame = FormFrame::None;
    f.widthTwips = 5340;
    f.heightTwips = 4935;
    f.centreOnScreen = false;  // Form_Load places it
    f.backColour = kDarkBlue;
    f.font = font(8.25, true);
    f.controls = {
        {.name = "Image2", .kind = K::Image, .rect = {0, 0, 5340, 4935}, .picture = 303},
        {.name = "Label(0)",
         .kind = K::Label,
         .rect = {840, 1200, 3732, 252},
         .align = A::Center,
         .font = font(12, true),
         .backColour = kWhite},
        {.name = "Label(1)", .kind = K::Label, .rect = {840, 1680, 3735, 255}, .align = A::Center},
        {.name = "Label(2)",
         .kind = K::Label,
         .caption = "Freeware",
         .rect = {840, 1920, 3735, 375},
         .align = A::Center,
         .font = font(13.5, true),
         .foreColour = kDarkRed,
         .backColour = kWhite},
        {.name = "lblHomepage",
         .kind = K::Label,
         .caption = kInfoHomepage,
         .rect = {840, 2350, 3735, 255},
         .clickable = true,
         .align = A::Center,
         .font = font(8.25, true, true),
         .foreColour = kLinkBlue},
        {.name = "Label(4)",
         .kind = K::Label,
         .caption = "SAVE program number Varnholt_116",
         .rect = {840, 2640, 3135, 255},
         .align = A::Center,
         .font = font(8.25, false)},
        {.name = "Image1(1)", .kind = K::Image, .rect = {3960, 2430, 480, 480}, .picture = 304},
        {.name = "Image1(0)", .kind = K::Image, .rect = {0, 0, 15, 15}},
        {.name = "ok",
         .kind = K::TextButton,
         .caption = "&OK",
         .rect = {3120, 3960, 615, 495},
         .tabIndex = 0,
         .cancelButton = true,
         .align = A::Center,
         .backColour = kButtonGrey},
    };
    return f;
}

}  // namespace

std::string programVersion() { return GLINTMOOR_VERSION; }

const FormLayout& frmInfoLayout() {
    static const FormLayout layout = makeLayout();
    return layout;
}

FrmInfo::FrmInfo() : window_(dialogSystem().loadForm(frmInfoLayout(), *this)) { Form_Load(); }

FrmInfo::~FrmInfo() = default;

void FrmInfo::ShowModal() { window_->show(true); }

void FrmInfo::Form_Load() {
    trapped("frmInfo", "Form_Load", [&](Trap& at) {
        at(50010, [&] {
            // Centred in twips: each difference rounded, then halved
            // truncating towards zero.
            const FormLayout& f = frmInfoLayout();
            const ScreenTwips screen = dialogSystem().screenTwips();
            const Int32 dx = CLng(static_cast<double>(screen.width) - f.widthTwips);
            const Int32 dy = CLng(static_cast<double>(screen.height) - f.heightTwips);
            window_->moveTwips(idiv(dx, Int32(2)), idiv(dy, Int32(2)));
        });
        at(50020, [&] { window_->setCaption(Label0, kAppTitle); });
        at(50030, [&] { window_->setCaption(Label1, programVersion()); });
    });
}

void FrmInfo::lblHomepage_Click() {
    trapped("frmInfo", "lblHomepage_Click", [&](Trap& at) {
        at(50010, [&] {
            dialogSystem().ShellExecuteA(window_->handle(), "Open", kInfoHomepage, "", "",
                                         kSwShowNormal);
        });
    });
}

void FrmInfo::ok_Click() {
    trapped("frmInfo", "OK_Click", [&](Trap& at) { at(50010, [&] { window_->unload(); }); });
}

void FrmInfo::onClick(int control) {
    if (control == lblHomepage) lblHomepage_Click();
    if (control == ok) ok_Click();
}

}  // namespace gm
