#include "saver/frm_main.h"

#include <cmath>

#include "common/allgemein.h"
#include "common/settings.h"
#include "errors/trap.h"
#include "gfx/bitmap_resource.h"
#include "resources/resource_ids.h"
#include "saver/saver.h"

namespace gm {
namespace {
ShowParts gParts;
constexpr std::int32_t kMaxTimerInterval = 65535;
constexpr Single kMouseTolerance = 3;  // pixels a move may go before it ends the show

// The banner picture of imgURL, at the landscape's scale.
gfx::Bitmap banner(double scale) {
    if (scale != 1) return gfx::LoadScaledBitmap(res::kBanner, scale, scale);
    return gParts.LoadBitmapResource ? gParts.LoadBitmapResource(res::kBanner)
                                     : gfx::LoadBitmapResource(res::kBanner);
}

}  // namespace

void setShowParts(ShowParts parts) { gParts = std::move(parts); }
const ShowParts& showParts() { return gParts; }

FrmMain::FrmMain() : window_(platform().createWindow(WindowKind::FullScreen, *this)) {
    layOutMonitors();
    Form_Load();
}

void FrmMain::layOutMonitors() {
    const std::vector<MonitorArea> monitors = window_->monitors();
    const ScreenArea whole{0, 0, window_->width(), window_->height()};
    // One monitor under the whole window (the usual case, and every window
    // but the full-screen one): the primary's part follows the window's size.
    primary_ = std::make_unique<MonitorView>(*window_, monitors[0].area,
                                             monitors.size() == 1 && monitors[0].area == whole);
    primaryDpi_ = monitors[0].dpi;
    otherMonitors.clear();
    for (std::size_t i = 1; i < monitors.size(); ++i)
        otherMonitors.push_back(
            std::make_unique<MonitorShow>(*window_, monitors[i], static_cast<int>(i)));
}

FrmMain::~FrmMain() = default;

void FrmMain::yieldEvents() { platform().yield(); }

void FrmMain::setTimerEnabled(bool enabled) {
    tmrEnabled = enabled;
    window_->setTimer(static_cast<std::uint32_t>(tmrInterval.value()), enabled);
}

void FrmMain::setTimerInterval(Int32 interval) {
    if (interval < 0 || interval > kMaxTimerInterval) raise(err::InvalidPropertyValue);
    tmrInterval = interval;
    window_->setTimer(static_cast<std::uint32_t>(interval.value()), tmrEnabled);
}

void FrmMain::onTimer() {
    if (gParts.tmrAnimation_Timer) gParts.tmrAnimation_Timer(*this);
    if (!gParts.tickMonitor) return;
    for (const auto& m : otherMonitors) {
        UsingRandomSource own(m->random);
        gParts.tickMonitor(*m);
    }
}

void FrmMain::Form_Load() {
    trapped("frmMain", "Form_Load", [&](Trap& at) {
        const Settings& s = settings();
        at(50010, [&] { lastFlake = Zz(s.minFl, s.maxFl); });
        at(50020, [&] { setTimerInterval(CLng(fdiv(200, s.Speed))); });
        at(50030, [&] { objekt21Y = 50; });
    });
}

// A size change during the show does not build a scene inside the running
// one: it is noted, the flake loop returns once the size has settled, and
// the outermost Form_Resize then builds one scene for the final size and
// starts a fresh flake loop in place of the old one. A burst of changes (a
// dragged window edge, a new screen resolution) so costs one rebuild, and
// loops never pile up beneath each other.
void FrmMain::Form_Resize() {
    if (resizing_) {
        resizePending_ = true;
        if (gParts.noteSizeChange) gParts.noteSizeChange(*this);
        return;
    }
    resizing_ = true;
    struct Done {
        bool& resizing;
        ~Done() { resizing = false; }
    } done{resizing_};
    do {
        resizePending_ = false;
        buildAndRun();
    } while (resizePending_);
}

void FrmMain::buildAndRun() {
    layOutMonitors();
    trapped("frmMain", "Form_Resize", [&](Trap& at) {
        const int W = windowWidth();
        const int H = windowHeight();
        gfx::Surface& image = windowImage();
        at(50010, [&] {
            if (gParts.BuildBG) gParts.BuildBG(*this);
        });
        at(50020, [&] { surfaces.picBuffer.setSize(W, H); });
        at(50030, [&] { surfaces.picBG.setSize(W, H); });
        at(50040,
           [&] { gfx::BitBlt(surfaces.picBuffer, 0, 0, W, H, image, 0, 0, gfx::Rop::SrcCopy); });
        at(50050, [&] { surfaces.picBG.setPicture(image.view()); });
        at(50060, [&] {
            // The banner of imgURL, flush with the lower right corner.
            const gfx::Bitmap b = banner(scene.scale);
            gfx::DrawPicture(surfaces.picBG, b.view(), W - b.width(), H - b.height());
        });
        at(50070, [&] {
            gfx::BitBlt(image, 0, 0, W, H, surfaces.picBG, 0, 0, gfx::Rop::SrcCopy);
            refreshWindow();
        });
        at(50080, [&] {
            if (gParts.seedFlakes) gParts.seedFlakes(*this);
        });
        at(50090, [&] {
            if (gParts.placeObjekte) gParts.placeObjekte(*this);
        });
        at(50100, [&] { buildOtherMonitors(); });
        at(50110, [&] { setTimerEnabled(true); });
        at(50120, [&] {
            if (gParts.moveFlakes) gParts.moveFlakes(*this);
        });
    });
}

// Each other monitor goes through the steps of the primary's resize
// handler, drawing from its own generator: its own flake count, its
// landscape stretched to it with the banner in its corner, its flakes and
// flying objects. The window's timer, enabled afterwards, animates it.
void FrmMain::buildOtherMonitors() {
    for (const auto& m : otherMonitors) {
        UsingRandomSource own(m->random);
        trapped("frmMain", "BuildMonitor", [&](Trap& at) {
            const int W = m->windowWidth();
            const int H = m->windowHeight();
            ShowSurfaces& s = m->surfaces;
            gfx::Surface& image = m->windowImage();
            at(50010, [&] {
                m->lastFlake = Zz(settings().minFl, settings().maxFl);
                m->tmrInterval = tmrInterval;
            });
            at(50020, [&] {
                if (gParts.BuildMonitorBG) gParts.BuildMonitorBG(*m);
            });
            at(50030, [&] {
                s.picBuffer.setSize(W, H);
                s.picBG.setSize(W, H);
            });
            at(50040,
               [&] { gfx::BitBlt(s.picBuffer, 0, 0, W, H, image, 0, 0, gfx::Rop::SrcCopy); });
            at(50050, [&] { s.picBG.setPicture(image.view()); });
            at(50060, [&] {
                const gfx::Bitmap b = banner(m->scene.scale);
                gfx::DrawPicture(s.picBG, b.view(), W - b.width(), H - b.height());
            });
            at(50070, [&] {
                gfx::BitBlt(image, 0, 0, W, H, s.picBG, 0, 0, gfx::Rop::SrcCopy);
                m->refreshWindow();
            });
            at(50080, [&] {
                if (gParts.startMonitorAnimation) gParts.startMonitorAnimation(*m);
            });
        });
    }
}

void FrmMain::endOnInput(const char* proc) {
    trapped("frmMain", proc, [](Trap& at) { at(50010, [] { exitScreensaver(); }); });
}

void FrmMain::Form_Click() { endOnInput("Form_Click"); }
void FrmMain::Form_DblClick() { endOnInput("Form_DblClick"); }
void FrmMain::Form_KeyDown(int) { endOnInput("Form_KeyDown"); }
void FrmMain::Form_KeyPress(int) { endOnInput("Form_KeyPress"); }
void FrmMain::Form_MouseDown(int) { endOnInput("Form_MouseDown"); }
void FrmMain::Form_Unload() { endOnInput("Form_Unload"); }
void FrmMain::Form_Terminate() { endOnInput("Form_Terminate"); }

void FrmMain::Form_MouseMove(Single x, Single y) {
    trapped("frmMain", "Form_MouseMove", [&](Trap& at) {
        at(50010, [&] {
            const bool firstMove = lastX == 0 && lastY == 0;
            const Single dx = x - lastX;
            const Single dy = y - lastY;
            if (firstMove || (std::fabs(dx) < kMouseTolerance && std::fabs(dy) < kMouseTolerance)) {
                lastX = x;
                lastY = y;
            } else {
                exitScreensaver();
            }
        });
    });
}

}  // namespace gm
