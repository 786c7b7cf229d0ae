// The parts a show is made of, as the saver window frmMain calls them for
// each monitor's show: the resize handler's step 1 (BuildBG), its steps 8,
// 9 and 11 (seed the flakes, place the flying objects, run the flake loop),
// its note of a size change during the show, and the handler of the timer
// tmrAnimation. Tests replace a part by deriving from one of the classes
// here and overriding it.
//
// With the environment variable GLINTMOOR_TICK_LOG naming a file, each tick
// of the primary's show appends its start and duration in microseconds to
// it (tools/bench-show.sh reads the gaps between ticks of the real show
// from there).
#pragma once

#include "saver/monitor_show.h"

namespace gm {

// No parts: every step does nothing, so the window composes the banner on
// black and its resize handler returns (tests of the window alone).
class ShowParts {
  public:
    virtual ~ShowParts() = default;
    // Resize step 1: compose a new scene, ending stretched over the monitor.
    virtual void BuildBG(MonitorShow&) {}
    // Resize steps 8 and 9: seed the flakes, place the flying objects.
    virtual void seedFlakes(MonitorShow&) {}
    virtual void placeObjekte(MonitorShow&) {}
    // Resize step 11, the primary's flake loop (it does not return while the
    // show runs).
    virtual void moveFlakes(MonitorShow&) {}
    // A size change arrived while the show runs: the flake loop returns once
    // the size has settled, and the resize handler builds the new scene.
    virtual void noteSizeChange(MonitorShow&) {}
    // The handler of tmrAnimation: the primary's frame.
    virtual void tmrAnimation_Timer(MonitorShow&) {}
    // Another monitor's show at the same tick: its frame, then one pass of
    // its flakes (the flake loop that yields is the primary's alone).
    virtual void tickMonitor(MonitorShow&) {}
};

// The program's scene builder; the animation stays out.
class SceneParts : public ShowParts {
  public:
    void BuildBG(MonitorShow& show) override;
};

// The program's parts: the scene builder and the animation.
class SceneAndAnimation : public SceneParts {
  public:
    void seedFlakes(MonitorShow& show) override { show.animation.seedFlakes(); }
    void placeObjekte(MonitorShow& show) override { show.animation.placeObjekte(); }
    void moveFlakes(MonitorShow& show) override { show.animation.moveFlakes(); }
    void noteSizeChange(MonitorShow& show) override { show.animation.noteSizeChange(); }
    void tmrAnimation_Timer(MonitorShow& show) override;
    void tickMonitor(MonitorShow& show) override;
};

// The parts the window runs with; nullptr: no parts.
void setShowParts(ShowParts* parts);
ShowParts& showParts();

// Runs the shows with `parts`, and prints the date and time line in the
// platform's fonts. Without an argument: the program's SceneAndAnimation.
void installShowParts(ShowParts& parts);
void installShowParts();

}  // namespace gm
