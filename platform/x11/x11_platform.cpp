// The X11 backend: the show's window on an X display, the event pump over
// the X connection, and Linux stand-ins for the Windows system calls (the
// system flags and the password functions have no counterpart: no-ops).
#include "platform/x11/x11_platform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/posix_platform.h"
#include "platform/x11/x11_window.h"

namespace gm {
namespace {

using x11::Clock;
using x11::X11Window;

// X errors are reported and survived: a foreign window may vanish under us
// at any time (the screen saver daemon destroys it).
int reportXError(Display* d, XErrorEvent* e) {
    char text[128];
    XGetErrorText(d, e->error_code, text, sizeof text);
    std::fprintf(stderr, "glintmoor: X error: %s (request %d)\n", text, e->request_code);
    return 0;
}

int ignoreXError(Display*, XErrorEvent*) { return 0; }

::Window windowProperty(Display* d, ::Window w, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window result = 0;
    if (XGetWindowProperty(d, w, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        result = *reinterpret_cast<::Window*>(data);
    if (data) XFree(data);
    return result;
}

// A EWMH window manager names its check window on the root, and the check
// window names itself.
bool windowManagerRuns(Display* d, ::Window root) {
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const ::Window w = windowProperty(d, root, check);
    return w != 0 && windowProperty(d, w, check) == w;
}

// The root window, or the virtual root a screen saver daemon or a virtual
// desktop puts over it (marked with __SWM_VROOT).
::Window virtualRoot(Display* d, int screen) {
    const ::Window root = RootWindow(d, screen);
    const Atom vroot = XInternAtom(d, "__SWM_VROOT", False);
    ::Window rootReturn, parent, *children = nullptr;
    unsigned count = 0;
    ::Window result = root;
    if (XQueryTree(d, root, &rootReturn, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && result == root; ++i)
            if (::Window v = windowProperty(d, children[i], vroot)) result = v;
    }
    if (children) XFree(children);
    return result;
}

// A busy X server may turn a connection away for a moment (its socket's
// queue is full: EAGAIN); a few quick tries ride that out.
Display* openDisplay() {
    constexpr int kTries = 40;  // two seconds at most
    for (int attempt = 1;; ++attempt) {
        errno = 0;
        if (Display* display = XOpenDisplay(nullptr)) return display;
        if (errno != EAGAIN || attempt == kTries) return nullptr;
        usleep(50'000);
    }
}

Cursor makeInvisibleCursor(Display* d, ::Window root) {
    const char empty[1] = {0};
    Pixmap bits = XCreateBitmapFromData(d, root, empty, 1, 1);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(d, bits, bits, &black, &black, 0, 0);
    XFreePixmap(d, bits);
    return cursor;
}

class X11Platform final : public PosixPlatform {
  public:
    X11Platform(Display* display, const X11Options& options, SettingsStore& store)
        : options_(options), context_(std::make_shared<x11::X11Context>(display)), store_(store) {
        context_->screen = DefaultScreen(display);
        const ::Window root = RootWindow(display, context_->screen);
        context_->windowManager = windowManagerRuns(display, root);
        context_->shm = XShmQueryExtension(display);
        context_->invisibleCursor = makeInvisibleCursor(display, root);
        watched_ = posix::watchConnection(ConnectionNumber(display));
    }

    int ShowCursor(bool show) override {
        cursorCount_ += show ? 1 : -1;
        const bool hidden = cursorCount_ < 0;
        if (hidden != context_->cursorHidden) {
            context_->cursorHidden = hidden;
            for (X11Window* w : context_->windows) w->applyCursor();
            XFlush(context_->display);
        }
        return cursorCount_;
    }

    void Beep() override {
        XBell(context_->display, 0);
        XFlush(context_->display);
    }

    // A window that does not exist is no X error to report here: the
    // answer says so.
    bool GetClientRect(std::uintptr_t window, int& width, int& height) override {
        Display* d = context_->display;
        XWindowAttributes a{};
        XSync(d, False);  // earlier errors still go to the usual handler
        const auto usual = XSetErrorHandler(ignoreXError);
        const bool ok = window != 0 && XGetWindowAttributes(d, window, &a);
        XSetErrorHandler(usual);
        width = ok ? a.width : 0;
        height = ok ? a.height : 0;
        return ok;
    }

    void yield() override {
        Display* d = context_->display;
        if (posix::terminationRequested()) terminate();
        bool ran = false;
        if (mayHaveEvents()) {
            while (XPending(d) > 0) {
                XEvent e;
                XNextEvent(d, &e);
                if (X11Window* w = windowOf(e.xany.window))
                    w->handleEvent(e);
                else if (e.type == ConfigureNotify)
                    followHost(e.xconfigure);
                ran = true;
                if (posix::terminationRequested()) terminate();
            }
        }
        const Clock::time_point now = Clock::now();
        // By index: a handler may create or destroy windows.
        for (std::size_t i = 0; i < context_->windows.size(); ++i)
            ran |= context_->windows[i]->runPending(now);
        // Send what the handlers asked of the server (XFlush reads the
        // socket too, so only then).
        if (ran) XFlush(d);
    }

    void wait() override {
        Display* d = context_->display;
        if (posix::terminationRequested() || XPending(d) > 0) return;
        Clock::time_point due = Clock::time_point::max();
        for (X11Window* w : context_->windows) {
            if (w->hasPendingResize()) return;
            due = std::min(due, w->timerDue());
        }
        int timeoutMs = -1;
        if (due != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now());
            timeoutMs = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
        }
        pollfd fds[2] = {{ConnectionNumber(d), POLLIN, 0}, {posix::terminationFd(), POLLIN, 0}};
        poll(fds, 2, timeoutMs);
    }

    void run() override {
        while (hasOpenWindow()) {
            wait();
            yield();
        }
    }

    std::unique_ptr<Window> createWindow(WindowKind kind, WindowEvents& events) override {
        const auto target = targetFor(kind);
        const ::Window foreign = target == X11Window::Target::Foreign ? foreignWindow() : 0;
        return std::make_unique<X11Window>(context_, target, foreign, events);
    }

    SettingsStore& settingsStore() override { return store_; }

  private:
    // A host window of an embedded child changed: the child takes its size.
    void followHost(const XConfigureEvent& e) {
        const auto host = context_->hosts.find(e.window);
        if (host == context_->hosts.end()) return;
        XResizeWindow(context_->display, host->second, std::max(e.width, 1), std::max(e.height, 1));
    }

    // The show's window goes where the command line put it.
    X11Window::Target targetFor(WindowKind kind) const {
        switch (kind) {
            case WindowKind::FullScreen:
                switch (options_.target) {
                    case X11Options::Target::FullScreen:
                        return X11Window::Target::FullScreen;
                    case X11Options::Target::Normal:
                        return X11Window::Target::Normal;
                    case X11Options::Target::WindowId:
                    case X11Options::Target::Root:
                        return X11Window::Target::Foreign;
                }
                break;
            case WindowKind::Preview:
                return X11Window::Target::Preview;
            case WindowKind::Embedded:
                return X11Window::Target::Foreign;
            case WindowKind::Normal:
                return X11Window::Target::Normal;
        }
        return X11Window::Target::FullScreen;
    }

    ::Window foreignWindow() const {
        if (options_.target == X11Options::Target::WindowId) return options_.windowId;
        return virtualRoot(context_->display, context_->screen);
    }

    X11Window* windowOf(::Window xid) const {
        for (X11Window* w : context_->windows)
            if (w->xid() == xid) return w;
        return nullptr;
    }

    bool hasOpenWindow() const {
        for (X11Window* w : context_->windows)
            if (w->isOpen()) return true;
        return false;
    }

    [[noreturn]] void terminate() { exitProcess(0); }

    // Events may wait in Xlib's queue (read while waiting for a reply) or
    // on the socket (the server spoke since the last read). Without the
    // signal, the socket is asked every time.
    bool mayHaveEvents() const {
        return !watched_ || posix::connectionSpoke() ||
               XEventsQueued(context_->display, QueuedAlready) > 0;
    }

    X11Options options_;

    std::shared_ptr<x11::X11Context> context_;
    SettingsStore& store_;
    int cursorCount_ = 0;
    bool watched_ = false;  // the socket raises SIGIO when the server sends
};

}  // namespace

std::unique_ptr<Platform> makeX11Platform(const X11Options& options, SettingsStore& store) {
    Display* display = openDisplay();
    if (!display) return nullptr;
    const int screen = DefaultScreen(display);
    if (!x11::hasSurfaceLayout(DefaultVisual(display, screen), DefaultDepth(display, screen))) {
        std::fprintf(stderr, "glintmoor: the display needs a 24-bit TrueColor visual\n");
        XCloseDisplay(display);
        return nullptr;
    }
    XSetErrorHandler(reportXError);
    posix::watchTermination();
    return std::make_unique<X11Platform>(display, options, store);
}

}  // namespace gm
