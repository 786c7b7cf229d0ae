#include "saver/frm_main.h"

#include <algorithm>
#include <cmath>

#include "common/allgemein.h"
#include "common/settings.h"
#include "errors/trap.h"
#include "gfx/bitmap_resource.h"
#include "resources/resource_ids.h"
#include "saver/saver.h"
#include "saver/show_parts.h"

namespace gm {
namespace {
constexpr std::int32_t kMaxTimerInterval = 65535;
constexpr Single kMouseTolerance = 3;  // pixels a move may go before it ends the show
}  // namespace

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
    primaryMonitor_ = monitors[0];
    primaryDpi_ = monitors[0].dpi;
    otherMonitors.clear();
    for (std::size_t i = 1; i < monitors.size(); ++i)
        otherMonitors.push_back(
            std::make_unique<OtherMonitor>(*window_, monitors[i], static_cast<int>(i)));
    monitorsMade_ = static_cast<int>(monitors.size());
}

// A monitor that comes during the show gets a show of its own, built by the
// steps of every other monitor's and drawing from a generator of its own,
// so that neither the primary's draws nor the other monitors' pictures
// change; one that goes takes its show with it. Changes that come while a
// new monitor's show is built (an output's size told in steps) are taken
// when it is done. When the primary changes, or the window's scene is
// being built meanwhile, everything is built anew as after a size change.
void FrmMain::followMonitors() {
    monitorsChanged_ = true;
    if (followingMonitors_) return;
    followingMonitors_ = true;
    struct Done {
        bool& following;
        ~Done() { following = false; }
    } done{followingMonitors_};
    while (monitorsChanged_) {
        monitorsChanged_ = false;
        const std::vector<MonitorArea> monitors = window_->monitors();
        if (building_ || !(monitors[0] == primaryMonitor_)) {
            Form_Resize();
            return;
        }
        const ScreenArea whole{0, 0, window_->width(), window_->height()};
        primary_ = std::make_unique<MonitorView>(*window_, monitors[0].area,
                                                 monitors.size() == 1 && monitors[0].area == whole);
        const auto listed = [&](const MonitorArea& m) {
            return std::find(monitors.begin() + 1, monitors.end(), m) != monitors.end();
        };
        std::erase_if(otherMonitors, [&](const auto& m) { return !listed(m->monitor()); });
        for (std::size_t i = 1; i < monitors.size() && !monitorsChanged_; ++i) {
            const bool shown =
                std::any_of(otherMonitors.begin(), otherMonitors.end(),
                            [&](const auto& m) { return m->monitor() == monitors[i]; });
            if (shown) continue;
            auto m = std::make_unique<OtherMonitor>(*window_, monitors[i], monitorsMade_++);
            buildOtherMonitor(*m);
            otherMonitors.push_back(std::move(m));
        }
    }
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
    ShowParts& parts = showParts();
    parts.tmrAnimation_Timer(show);
    for (const auto& m : otherMonitors) {
        DrawingFor own(m->show);
        parts.tickMonitor(m->show);
    }
}

void FrmMain::Form_Load() {
    trapped("frmMain", "Form_Load", [&](Trap& at) {
        const Settings& s = settings();
        at(50010, [&] { show.animation.lastFlake = Zz(s.minFl, s.maxFl); });
        at(50020, [&] {
            setTimerInterval(CLng(fdiv(200, s.Speed)));
            show.animation.timerInterval = tmrInterval;
        });
        at(50030, [&] { show.animation.Objekte[21].y = 50; });
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
        showParts().noteSizeChange(show);
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
    building_ = true;
    layOutMonitors();
    trapped("frmMain", "Form_Resize", [&](Trap& at) {
        buildShow(show, at);
        at(50100, [&] {
            buildOtherMonitors();
            building_ = false;
        });
        at(50110, [&] { setTimerEnabled(true); });
        at(50120, [&] { showParts().moveFlakes(show); });
    });
}

void FrmMain::buildShow(MonitorShow& monitor, Trap& at) {
    ShowParts& parts = showParts();
    ShowSurfaces& s = monitor.surfaces;
    const int W = monitor.host.windowWidth();
    const int H = monitor.host.windowHeight();
    // Asked for at each step: the scene's yields may let the window's image
    // be made anew (a monitor plugged in meanwhile), and the monitor's part
    // follows it only when asked.
    const auto image = [&]() -> gfx::Surface& { return monitor.host.windowImage(); };
    at(50010, [&] { parts.BuildBG(monitor); });
    at(50020, [&] { s.picBuffer.setSize(W, H); });
    at(50030, [&] { s.picBG.setSize(W, H); });
    at(50040, [&] { gfx::BitBlt(s.picBuffer, 0, 0, W, H, image(), 0, 0, gfx::Rop::SrcCopy); });
    at(50050, [&] { s.picBG.setPicture(image().view()); });
    at(50060, [&] {
        // The banner of imgURL, flush with the lower right corner, at the
        // landscape's scale.
        const double k = monitor.scene.scale;
        const gfx::Bitmap b = k == 1 ? gfx::LoadBitmapResource(res::kBanner)
                                     : gfx::LoadScaledBitmap(res::kBanner, k, k);
        gfx::DrawPicture(s.picBG, b.view(), W - b.width(), H - b.height());
    });
    at(50070, [&] {
        gfx::BitBlt(image(), 0, 0, W, H, s.picBG, 0, 0, gfx::Rop::SrcCopy);
        monitor.host.refreshWindow();
    });
    at(50080, [&] { parts.seedFlakes(monitor); });
    at(50090, [&] { parts.placeObjekte(monitor); });
}

// Each other monitor goes through the steps of the primary's load and
// resize handlers, drawing from its own generator: its own flake count, the
// primary's timer period, its landscape stretched to it with the banner in
// its corner, its flakes and flying objects. The window's timer, enabled
// afterwards, animates it.
void FrmMain::buildOtherMonitors() {
    for (const auto& m : otherMonitors) buildOtherMonitor(*m);
}

void FrmMain::buildOtherMonitor(OtherMonitor& m) {
    DrawingFor own(m.show);
    Animation& a = m.show.animation;
    trapped("frmMain", "LoadMonitor", [&](Trap& at) {
        at(50010, [&] { a.lastFlake = Zz(settings().minFl, settings().maxFl); });
        at(50020, [&] { a.timerInterval = tmrInterval; });
    });
    trapped("frmMain", "BuildMonitor", [&](Trap& at) { buildShow(m.show, at); });
}

void FrmMain::endOnInput(const char* proc) {
    trapped("frmMain", proc, [](Trap& at) { at(50010, [] { exitScreensaver(); }); });
}

void FrmMain::Form_Click() { endOnInput("Form_Click"); }
void FrmMain::Form_DblClick() { endOnInput("Form_DblClick"); }
void FrmMain::Form_KeyDown(Key) { endOnInput("Form_KeyDown"); }
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
