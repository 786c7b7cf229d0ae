// frmMain, the full-screen window of the show: its load and resize handlers
// set up the scene and start the animation; any input ends the show.
//
// The window is borderless, covers the screen and keeps a persistent image
// (the platform window's image). What the scene builder and the animation
// draw with lives in the show of each monitor (MonitorShow): the window owns
// the primary's, and every other monitor its own, composed after the
// primary's background by the same steps and animated by the same timer
// ticks. The scene builder and the animation plug in through ShowParts.
#pragma once

#include <memory>
#include <vector>

#include "basic/numeric.h"
#include "common/show_host.h"
#include "gfx/surface.h"
#include "platform/platform.h"
#include "saver/monitor_show.h"

namespace gm {

class Trap;

class FrmMain final : public WindowEvents, public ShowHost {
  public:
    // Loads the window: creates it hidden and runs Form_Load.
    FrmMain();
    ~FrmMain() override;

    Window& window() const { return *window_; }
    // Shows the window; the first showing raises Form_Resize.
    void Show() { window_->show(); }

    // --- Event handlers ----------------------------------------------------
    void Form_Load();
    void Form_Resize();
    void Form_Click();
    void Form_DblClick();
    void Form_KeyDown(Key key);
    void Form_KeyPress(int keyAscii);
    void Form_MouseDown(int button);
    void Form_MouseMove(Single x, Single y);
    void Form_Unload();
    void Form_Terminate();

    // --- State ----------------------------------------------------------------
    MonitorShow show{*this, 0};  // the primary monitor's show
    Single lastX = 0;            // mouse position of the last tolerated move;
    Single lastY = 0;            // never set compares equal to (0, 0)
    // tmrAnimation: the period in milliseconds and whether it runs.
    Int32 tmrInterval;
    bool tmrEnabled = false;
    // The monitors other than the primary, made anew with every scene.
    std::vector<std::unique_ptr<OtherMonitor>> otherMonitors;

    // --- ShowHost: the primary monitor's part of the window ------------------
    gfx::Surface& windowImage() override { return primary_->image(); }
    int windowWidth() const override { return primary_->area().width; }
    int windowHeight() const override { return primary_->area().height; }
    void refreshWindow() override { primary_->refresh(); }
    void refreshWindowAreas(const ScreenArea* areas, int count) override {
        primary_->refreshAreas(areas, count);
    }
    void yieldEvents() override;
    void setTimerEnabled(bool enabled) override;
    int screenDpi() const override { return primaryDpi_; }

  private:
    // --- WindowEvents ---------------------------------------------------------
    void onResize() override { Form_Resize(); }
    void onMonitorsChanged() override { followMonitors(); }
    void onClick() override { Form_Click(); }
    void onDblClick() override { Form_DblClick(); }
    void onKeyDown(Key key) override { Form_KeyDown(key); }
    void onKeyPress(int ascii) override { Form_KeyPress(ascii); }
    void onMouseDown(int button) override { Form_MouseDown(button); }
    void onMouseMove(float x, float y) override { Form_MouseMove(x, y); }
    void onUnload() override { Form_Unload(); }
    void onTerminate() override { Form_Terminate(); }
    void onTimer() override;

    // The timer's interval takes 0 to 65535 ms; other values raise 380.
    void setTimerInterval(Int32 interval);
    // Form_Resize's steps: the scene for the window's size, then the show.
    void buildAndRun();
    // Where the monitors lie in the window now: the primary's part and dpi,
    // and a fresh show for every other monitor.
    void layOutMonitors();
    // Resize steps 1 to 9 for one monitor's show, under the caller's trap:
    // its landscape, the background with the banner, its flakes and flying
    // objects.
    void buildShow(MonitorShow& monitor, Trap& at);
    // The other monitors' shows, each with its own draws.
    void buildOtherMonitors();
    // Load and resize steps for one other monitor's show.
    void buildOtherMonitor(OtherMonitor& m);
    // Monitors plugged in or out during the show: a show for each new one,
    // none for those that went, the others untouched.
    void followMonitors();
    // The handlers that only end the show.
    void endOnInput(const char* proc);

    std::unique_ptr<Window> window_;
    std::unique_ptr<MonitorView> primary_;
    MonitorArea primaryMonitor_;  // as the primary's show was built for it
    int primaryDpi_ = kDefaultDpi;
    int monitorsMade_ = 0;            // the next other monitor's index (its generator's seed)
    bool building_ = false;           // the window's scene is being built further down the stack
    bool followingMonitors_ = false;  // and so is a new monitor's show
    bool monitorsChanged_ = false;    // since followMonitors last looked
    // Form_Resize is running further down the stack (inside the flake loop
    // or the scene's yields), and a size change has come in meanwhile.
    bool resizing_ = false;
    bool resizePending_ = false;
};

}  // namespace gm
