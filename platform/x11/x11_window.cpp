#include "platform/x11/x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>

#include "platform/keysyms.h"
#include "platform/x11/x11_monitors.h"

namespace gm::x11 {
namespace {

constexpr char kTitle[] = "Glintmoor";
constexpr int kNormalWidth = 1024, kNormalHeight = 768;
constexpr Time kDoubleClickMs = 500;  // the Windows default

// Mouse buttons as the event handlers number them.
constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;

// Input is selected only where the show ends on it, and motion only where
// moving the pointer ends the show.
long eventMaskFor(X11Window::Target target) {
    constexpr long base = ExposureMask | StructureNotifyMask;
    switch (target) {
        case X11Window::Target::FullScreen:
            return base | KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
        case X11Window::Target::Normal:
            return base | KeyPressMask | ButtonPressMask | ButtonReleaseMask;
        case X11Window::Target::Preview:
        case X11Window::Target::Foreign:
            return base;
    }
    return base;
}

Atom atom(Display* d, const char* name) { return XInternAtom(d, name, False); }

// Title, class and owning process of our own windows.
void setIdentity(Display* d, ::Window w) {
    XStoreName(d, w, kTitle);
    XChangeProperty(d, w, atom(d, "_NET_WM_NAME"), atom(d, "UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(kTitle), sizeof kTitle - 1);
    XClassHint hint{const_cast<char*>("glintmoor"), const_cast<char*>(kTitle)};
    XSetClassHint(d, w, &hint);
    const long pid = getpid();
    XChangeProperty(d, w, atom(d, "_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
}

// A window manager puts a full-screen window on one monitor; over several
// monitors the show places its window itself, as it does without a manager.
bool placesItself(const X11Context& c, X11Window::Target target) {
    if (target == X11Window::Target::Preview) return true;
    return target == X11Window::Target::FullScreen &&
           (!c.windowManager || screenMonitors(c.display, c.screen).size() > 1);
}

::Window createOwn(const X11Context& c, X11Window::Target target) {
    Display* d = c.display;
    int width = 1, height = 1;
    if (target == X11Window::Target::FullScreen) {
        width = DisplayWidth(d, c.screen);
        height = DisplayHeight(d, c.screen);
    } else if (target == X11Window::Target::Normal) {
        width = kNormalWidth;
        height = kNormalHeight;
    }
    XSetWindowAttributes a{};
    a.background_pixel = BlackPixel(d, c.screen);
    a.event_mask = eventMaskFor(target);
    // Without a window manager nothing would place the full-screen window
    // above the others; the preview is placed by its host alone.
    a.override_redirect = placesItself(c, target);
    const ::Window w = XCreateWindow(d, RootWindow(d, c.screen), 0, 0, width, height, 0,
                                     CopyFromParent, InputOutput, CopyFromParent,
                                     CWBackPixel | CWEventMask | CWOverrideRedirect, &a);
    setIdentity(d, w);
    if (target == X11Window::Target::FullScreen && !a.override_redirect) {
        Atom states[] = {atom(d, "_NET_WM_STATE_FULLSCREEN"), atom(d, "_NET_WM_STATE_ABOVE")};
        XChangeProperty(d, w, atom(d, "_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(states), 2);
    }
    if (target == X11Window::Target::Normal) {
        Atom deleteWindow = atom(d, "WM_DELETE_WINDOW");
        XSetWMProtocols(d, w, &deleteWindow, 1);
    }
    return w;
}

XWindowAttributes attributesOf(Display* d, ::Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(d, w, &a);
    return a;
}

}  // namespace

X11Context::~X11Context() {
    XFreeCursor(display, invisibleCursor);
    XCloseDisplay(display);
}

X11Window::X11Window(std::shared_ptr<X11Context> context, Target target, ::Window foreign,
                     WindowEvents& events)
    : context_(std::move(context)),
      target_(target),
      events_(events),
      overrideRedirect_(target != Target::Foreign && placesItself(*context_, target)),
      xid_(target == Target::Foreign ? foreign : createOwn(*context_, target)),
      gc_(XCreateGC(context_->display, xid_, 0, nullptr)),
      image_(context_->display, attributesOf(context_->display, xid_).visual,
             attributesOf(context_->display, xid_).depth, context_->shm) {
    Display* d = context_->display;
    if (target == Target::Foreign) XSelectInput(d, xid_, eventMaskFor(target));
    context_->windows.push_back(this);
    applyCursor();
    const XWindowAttributes a = attributesOf(d, xid_);
    followSize(a.width, a.height);
}

X11Window::~X11Window() {
    Display* d = context_->display;
    std::erase(context_->windows, this);
    XFreeGC(d, gc_);
    if (open_ && target_ != Target::Foreign) XDestroyWindow(d, xid_);
    if (target_ == Target::Foreign) XSelectInput(d, xid_, NoEventMask);
    XFlush(d);
}

void X11Window::refresh() {
    if (!shown_ || !open_) return;
    image_.put(xid_, gc_, 0, 0, image_.width(), image_.height());
    // A shared image must not change before the server has read it.
    if (image_.usesShm())
        XSync(context_->display, False);
    else
        XFlush(context_->display);
}

void X11Window::refreshAreas(const ScreenArea* areas, int count) {
    if (!shown_ || !open_) return;
    for (int i = 0; i < count; ++i)
        image_.put(xid_, gc_, areas[i].x, areas[i].y, areas[i].width, areas[i].height);
    if (image_.usesShm())
        XSync(context_->display, False);
    else
        XFlush(context_->display);
}

void X11Window::show() {
    if (target_ == Target::Foreign) {
        markShown();  // the foreign window is already where it belongs
        return;
    }
    XMapRaised(context_->display, xid_);
    XFlush(context_->display);
}

bool X11Window::keepOnTop(Stacking stacking, bool) {
    if (target_ == Target::Foreign) return true;  // placed by its owner
    if (stacking != Stacking::NotTopMost) {
        XRaiseWindow(context_->display, xid_);
        XFlush(context_->display);
    }
    return true;
}

void X11Window::embedInto(std::uintptr_t host, int width, int height) {
    if (target_ == Target::Foreign) return;  // placed by its owner
    Display* d = context_->display;
    const ::Window parent = host ? host : RootWindow(d, context_->screen);
    XReparentWindow(d, xid_, parent, 0, 0);
    // The preview fills its host: the platform watches the host's size and
    // this window follows it.
    if (host) {
        XSelectInput(d, host, StructureNotifyMask);
        context_->hosts[host] = xid_;
    }
    XMoveResizeWindow(d, xid_, 0, 0, std::max(width, 1),
                      std::max(height, 1));  // X has no empty windows
    XMapWindow(d, xid_);
    XFlush(d);
}

void X11Window::setTimer(std::uint32_t intervalMs, bool enabled) {
    // An interval of 0 stops the timer, as for a disabled one.
    interval_ = std::chrono::milliseconds(intervalMs);
    timerOn_ = enabled && intervalMs > 0;
    if (timerOn_) nextTick_ = Clock::now() + interval_;
}

std::vector<MonitorArea> X11Window::monitors() const {
    // Our own full-screen window lies at the root's origin, so root
    // coordinates are its own. A screen saver daemon's window (-root,
    // -window-id) is one area: the daemon gives each monitor its own.
    if (target_ == Target::FullScreen) return screenMonitors(context_->display, context_->screen);
    return {{{0, 0, width(), height()}, screenDpi(context_->display, context_->screen)}};
}

void X11Window::applyCursor() {
    if (target_ != Target::FullScreen && target_ != Target::Normal) return;
    if (context_->cursorHidden)
        XDefineCursor(context_->display, xid_, context_->invisibleCursor);
    else
        XUndefineCursor(context_->display, xid_);
}

Clock::time_point X11Window::timerDue() const {
    return timerOn_ && open_ ? nextTick_ : Clock::time_point::max();
}

bool X11Window::runPending(Clock::time_point now) {
    if (resizePending_) {
        resizePending_ = false;
        events_.onResize();
        return true;
    }
    if (timerOn_ && open_ && now >= nextTick_) {
        // The next tick counts from this one: a late tick is not made up for.
        nextTick_ = now + interval_;
        events_.onTimer();
        return true;
    }
    return false;
}

void X11Window::followSize(int width, int height) {
    if (!image_.resize(width, height)) return;
    surface_.attach(image_.pixels(), image_.width(), image_.height(), image_.stride());
    if (shown_) resizePending_ = true;
}

void X11Window::markShown() {
    if (shown_) return;
    shown_ = true;
    resizePending_ = true;  // the first showing raises the resize handler
}

void X11Window::handleEvent(XEvent& e) {
    switch (e.type) {
        case Expose:
            image_.put(xid_, gc_, e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height);
            if (e.xexpose.count == 0) events_.onPaint();
            break;
        case ConfigureNotify:
            followSize(e.xconfigure.width, e.xconfigure.height);
            break;
        case MapNotify:
            if (target_ == Target::FullScreen && overrideRedirect_)
                XSetInputFocus(context_->display, xid_, RevertToParent, CurrentTime);
            markShown();
            break;
        case KeyPress:
            onKey(e.xkey);
            break;
        case ButtonPress:
            onButton(e.xbutton);
            break;
        case ButtonRelease:
            if (e.xbutton.button == Button1 || e.xbutton.button == Button3) events_.onClick();
            break;
        case MotionNotify:
            events_.onMouseMove(float(e.xmotion.x), float(e.xmotion.y));
            break;
        case ClientMessage:
            if (Atom(e.xclient.data.l[0]) == atom(context_->display, "WM_DELETE_WINDOW")) close();
            break;
        case DestroyNotify:
            if (e.xdestroywindow.window == xid_ && open_) {
                open_ = false;
                events_.onTerminate();
            }
            break;
    }
}

void X11Window::onKey(XKeyEvent& e) {
    char text[8];
    KeySym sym = NoSymbol;
    const int n = XLookupString(&e, text, sizeof text, &sym, nullptr);
    events_.onKeyDown(keyOf(sym));
    if (n == 1) events_.onKeyPress(static_cast<unsigned char>(text[0]));
}

void X11Window::onButton(const XButtonEvent& e) {
    // Buttons 4 to 7 are the wheel, which is no button press on Windows.
    switch (e.button) {
        case Button1:
            if (lastPress_ != 0 && e.time - lastPress_ <= kDoubleClickMs) {
                lastPress_ = 0;
                events_.onDblClick();
            } else {
                lastPress_ = e.time;
                events_.onMouseDown(kLeftButton);
            }
            break;
        case Button2:
            events_.onMouseDown(kMiddleButton);
            break;
        case Button3:
            events_.onMouseDown(kRightButton);
            break;
    }
}

void X11Window::close() {
    events_.onUnload();
    if (open_) {
        open_ = false;
        XDestroyWindow(context_->display, xid_);
        XFlush(context_->display);
        events_.onTerminate();
    }
}

}  // namespace gm::x11
