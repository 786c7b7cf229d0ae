// A small program that drives a real platform backend the way the show does
// and prints every event it receives, one line each, so that the Wine and
// Xvfb tests can check what the backend delivers without the saver's logic:
//
//   backend_probe [fullscreen | normal | preview HOST | embed WINDOW] [--verify] [--info]
//
// "embed" (X11 only) opens the show's window as -window-id does.
//
// It hides the cursor, opens the window, makes it top-most, shows it, starts
// a 40 ms timer and, when the first resize arrives, fills the image with a
// colour and enters a yield/wait loop, as the flake loop does, which ends
// when the window is destroyed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "gfx/surface.h"
#include "platform/platform.h"
#include "tests/backend_probe/probe_backend.h"

namespace {

using namespace gm;

constexpr std::uint32_t kFill = 0x00C02040;  // 0xRRGGBB: a red the tests look for
constexpr std::uint32_t kTimerMs = 40;

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A letter or a digit as itself, a named key by its name.
std::string keyName(Key key) {
    const int value = static_cast<int>(key);
    if (value >= '0' && value <= 'Z') return std::string(1, static_cast<char>(value));
    static const char* const kNames[] = {"Backspace", "Tab",    "Enter", "Shift",  "Control",
                                         "Alt",       "Escape", "Space", "PageUp", "PageDown"};
    const int named = value - static_cast<int>(Key::Backspace);
    if (named >= 0 && named < int(std::size(kNames))) return kNames[named];
    return std::to_string(value);
}

class Probe final : public WindowEvents {
  public:
    explicit Probe(bool verify) : verify_(verify) {}
    Window* window = nullptr;

    void onResize() override {
        say("resize " + std::to_string(window->width()) + "x" + std::to_string(window->height()));
        gfx::Surface& s = window->image();
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) s.row(y)[x] = kFill;
        window->refresh();
        if (looping_) return;
        looping_ = true;
        for (;;) {
            platform().yield();
            if (terminated_) return;
            platform().wait();
        }
    }
    void onClick() override { say("click"); }
    void onDblClick() override { say("dblclick"); }
    void onKeyDown(Key key) override { say("keydown " + keyName(key)); }
    void onKeyPress(int ascii) override { say("keypress " + std::to_string(ascii)); }
    void onMouseDown(int button) override {
        say("mousedown " + std::to_string(button));
        if (verify_)
            say("verify " + std::to_string(platform().VerifyScreenSavePwd(window->handle())));
    }
    void onMouseMove(float x, float y) override {
        say("move " + std::to_string(int(x)) + " " + std::to_string(int(y)));
    }
    void onUnload() override { say("unload"); }
    void onTerminate() override {
        say("terminate");
        terminated_ = true;
    }
    void onTimer() override {
        if (++ticks_ == 1) say("timer");
    }

  private:
    bool verify_;
    bool looping_ = false;
    bool terminated_ = false;
    int ticks_ = 0;
};

WindowKind kindOf(const std::string& name) {
    if (name == "normal") return WindowKind::Normal;
    if (name == "preview") return WindowKind::Preview;
    return WindowKind::FullScreen;
}

}  // namespace

int main(int argc, char** argv) {
    std::string kindName = "fullscreen";
    std::uintptr_t host = 0;  // the preview's host, or the window to embed into
    bool verify = false, info = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--verify"))
            verify = true;
        else if (!std::strcmp(argv[i], "--info"))
            info = true;
        else if ((!std::strcmp(argv[i], "preview") || !std::strcmp(argv[i], "embed")) &&
                 i + 1 < argc) {
            kindName = argv[i];
            host = std::strtoull(argv[++i], nullptr, 0);
        } else
            kindName = argv[i];
    }
    auto backend = openBackend(kindName == "embed" ? host : 0);
    if (!backend) {
        say("no display");
        return 1;
    }
    setPlatform(backend.get());
    Platform& p = platform();
    if (info) {
        OsVersionInfo v;
        const int ok = p.GetVersionExA(v);
        say("version " + std::to_string(ok) + " " + std::to_string(v.platformId) + " " +
            std::to_string(v.majorVersion) + "." + std::to_string(v.minorVersion));
    }

    Probe probe(verify);
    const WindowKind kind = kindOf(kindName);
    if (kind == WindowKind::FullScreen) say("showcursor " + std::to_string(p.ShowCursor(false)));
    auto window = p.createWindow(kind, probe);
    probe.window = window.get();
    say("window " + std::to_string(window->handle()));
    if (kind == WindowKind::Preview) {
        int w = 0, h = 0;
        p.GetClientRect(host, w, h);
        window->embedInto(host, w, h);
    } else {
        window->keepOnTop(Stacking::TopMost, true);
        window->show();
    }
    window->setTimer(kTimerMs, true);
    p.run();
    say("run ended");
    return 0;
}
