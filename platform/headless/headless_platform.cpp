#include "platform/headless/headless_platform.h"

#include <algorithm>

namespace gm {

// --- MemoryStore -------------------------------------------------------------

std::optional<std::string> MemoryStore::GetSetting(const std::string& app,
                                                   const std::string& section,
                                                   const std::string& key) {
    const auto it = values.find(app + "/" + section + "/" + key);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

void MemoryStore::SaveSetting(const std::string& app, const std::string& section,
                              const std::string& key, const std::string& value) {
    values[app + "/" + section + "/" + key] = value;
}

// --- HeadlessPlatform --------------------------------------------------------

HeadlessPlatform::HeadlessPlatform(int screenWidth, int screenHeight, std::uint64_t startMs)
    : monitors_{{{0, 0, screenWidth, screenHeight}, kDefaultDpi}}, clock_(startMs) {
    version_.majorVersion = 5;
    version_.minorVersion = 0;
    version_.buildNumber = 2195;
    version_.platformId = 2;
    version_.csdVersion = std::string("Service Pack 4") + '\0';
}

HeadlessPlatform::~HeadlessPlatform() {
    for (HeadlessWindow* w : open_) w->closed_ = true;
}

void HeadlessPlatform::setOsVersion(const OsVersionInfo& info, int result) {
    version_ = info;
    versionResult_ = result;
}

void HeadlessPlatform::setHostSize(std::uintptr_t host, int width, int height) {
    hosts_[host] = {width, height};
}

void HeadlessPlatform::schedule(std::uint64_t atMs, InputEvent event) {
    script_.push_back({atMs, scheduled_++, event});
    std::stable_sort(script_.begin(), script_.end(), [](const Scheduled& a, const Scheduled& b) {
        return a.atMs != b.atMs ? a.atMs < b.atMs : a.order < b.order;
    });
}

HeadlessWindow* HeadlessPlatform::activeWindow() const {
    return open_.empty() ? nullptr : open_.back();
}

int HeadlessPlatform::GetVersionExA(OsVersionInfo& info) {
    if (versionResult_ == 1) info = version_;
    return versionResult_;
}

int HeadlessPlatform::VerifyScreenSavePwd(std::uintptr_t) {
    ++passwordChecks_;
    return passwordAnswer_;
}

void HeadlessPlatform::PwdChangePasswordA(const char* provider, std::uintptr_t owner) {
    pwdChanges_.push_back({provider, owner});
}

bool HeadlessPlatform::GetClientRect(std::uintptr_t window, int& width, int& height) {
    const auto it = hosts_.find(window);
    if (it == hosts_.end()) {
        width = height = 0;
        return false;
    }
    width = it->second.first;
    height = it->second.second;
    return true;
}

void HeadlessPlatform::exitProcess(int code) { throw ProcessExit{code}; }

void HeadlessPlatform::deliver(const InputEvent& e) {
    HeadlessWindow* w = activeWindow();
    if (!w) return;
    WindowEvents& ev = w->events_;
    switch (e.kind) {
        case InputKind::KeyDown:
            ev.onKeyDown(e.key);
            break;
        case InputKind::KeyPress:
            ev.onKeyPress(e.code);
            break;
        case InputKind::Click:
            ev.onClick();
            break;
        case InputKind::DblClick:
            ev.onDblClick();
            break;
        case InputKind::MouseDown:
            ev.onMouseDown(e.code);
            break;
        case InputKind::MouseMove:
            ev.onMouseMove(e.x, e.y);
            break;
        case InputKind::Close:
            ev.onUnload();
            ev.onTerminate();
            w->closed_ = true;
            std::erase(open_, w);
            break;
    }
}

void HeadlessPlatform::fireDueTimers() {
    // Copy: a handler may open or close windows.
    const std::vector<HeadlessWindow*> windows = open_;
    for (HeadlessWindow* w : windows) {
        if (w->closed_ || !w->enabled_ || w->inTimer_ || clock_ < w->due_) continue;
        w->due_ = clock_ + w->interval_;
        w->inTimer_ = true;
        try {
            w->events_.onTimer();
        } catch (...) {
            w->inTimer_ = false;
            throw;
        }
        w->inTimer_ = false;
    }
}

void HeadlessPlatform::yield() {
    while (!script_.empty() && script_.front().atMs <= clock_) {
        const InputEvent e = script_.front().event;
        script_.erase(script_.begin());
        deliver(e);
    }
    fireDueTimers();
}

std::optional<std::uint64_t> HeadlessPlatform::nextDue() const {
    std::optional<std::uint64_t> next;
    if (!script_.empty()) next = script_.front().atMs;
    for (const HeadlessWindow* w : open_) {
        if (w->enabled_ && !w->inTimer_ && (!next || w->due_ < *next)) next = w->due_;
    }
    return next;
}

void HeadlessPlatform::wait() {
    const std::optional<std::uint64_t> next = nextDue();
    if (!next)
        throw HeadlessStop("nothing is scripted or due: a real platform would wait for ever");
    if (stopAt_ && *next > *stopAt_) {
        clock_ = std::max(clock_, *stopAt_);
        throw HeadlessStop("the virtual clock reached the stop time");
    }
    clock_ = std::max(clock_, *next);
    yield();
}

void HeadlessPlatform::run() {
    while (!open_.empty() && nextDue()) wait();
}

namespace {

// The full-screen window over the bounding box of the monitors, and the
// monitors in its coordinates.
std::vector<MonitorArea> inBoundingBox(std::vector<MonitorArea> monitors, ScreenArea& box) {
    int x0 = monitors[0].area.x, y0 = monitors[0].area.y;
    int x1 = x0 + monitors[0].area.width, y1 = y0 + monitors[0].area.height;
    for (const MonitorArea& m : monitors) {
        x0 = std::min(x0, m.area.x);
        y0 = std::min(y0, m.area.y);
        x1 = std::max(x1, m.area.x + m.area.width);
        y1 = std::max(y1, m.area.y + m.area.height);
    }
    box = {x0, y0, x1 - x0, y1 - y0};
    for (MonitorArea& m : monitors) {
        m.area.x -= x0;
        m.area.y -= y0;
    }
    return monitors;
}

}  // namespace

std::unique_ptr<Window> HeadlessPlatform::createWindow(WindowKind kind, WindowEvents& events) {
    windowsCreated_.push_back(kind);
    ScreenArea size = monitors_[0].area;
    std::vector<MonitorArea> monitors = {monitors_[0]};
    if (kind == WindowKind::FullScreen) monitors = inBoundingBox(monitors_, size);
    // A preview window takes its size from the host when it is embedded.
    if (kind == WindowKind::Preview) size.width = size.height = 0;
    auto w = std::make_unique<HeadlessWindow>(*this, kind, events, nextHandle_, size.width,
                                              size.height, std::move(monitors));
    nextHandle_ += 0x10;
    open_.push_back(w.get());
    return w;
}

// --- HeadlessWindow ----------------------------------------------------------

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, WindowKind kind, WindowEvents& events,
                               std::uintptr_t handle, int width, int height,
                               std::vector<MonitorArea> monitors)
    : platform_(platform),
      kind_(kind),
      events_(events),
      handle_(handle),
      image_(width, height),
      monitors_(std::move(monitors)) {}

std::vector<MonitorArea> HeadlessWindow::monitors() const {
    if (kind_ == WindowKind::FullScreen) return monitors_;
    return {{{0, 0, width(), height()}, monitors_[0].dpi}};
}

HeadlessWindow::~HeadlessWindow() {
    if (!closed_) std::erase(platform_.open_, this);
}

void HeadlessWindow::show() {
    visible_ = true;
    events_.onResize();  // the first showing raises the resize handler
}

bool HeadlessWindow::keepOnTop(Stacking stacking, bool activate) {
    stackings_.push_back({stacking, activate});
    return true;
}

void HeadlessWindow::embedInto(std::uintptr_t host, int width, int height) {
    embeddings_.push_back({host, width, height});
    const bool resized = resizeImage(width, height);
    if (!visible_) {
        show();
    } else if (resized) {
        events_.onResize();
    }
}

void HeadlessWindow::resize(int width, int height) {
    if (resizeImage(width, height) && visible_) events_.onResize();
}

void HeadlessWindow::plugMonitors(std::vector<MonitorArea> monitors) {
    int width = 0, height = 0;
    for (const MonitorArea& m : monitors) {
        width = std::max(width, m.area.x + m.area.width);
        height = std::max(height, m.area.y + m.area.height);
    }
    image_.setSize(width, height);
    monitors_ = std::move(monitors);
    if (visible_) events_.onMonitorsChanged();
}

bool HeadlessWindow::resizeImage(int width, int height) {
    if (width == this->width() && height == this->height()) return false;
    image_.setSize(width, height);
    monitors_ = {{{0, 0, width, height}, monitors_[0].dpi}};
    return true;
}

void HeadlessWindow::setTimer(std::uint32_t intervalMs, bool enabled) {
    const bool starts = enabled && intervalMs > 0 && (!enabled_ || intervalMs != interval_);
    interval_ = intervalMs;
    enabled_ = enabled && intervalMs > 0;
    if (starts) due_ = platform_.clock_ + intervalMs;
}

}  // namespace gm
