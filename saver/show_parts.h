// Plugs the scene builder and the animation into the saver window frmMain:
// the resize handler's step 1 (BuildBG), its steps 8, 9 and 11 (seed the
// flakes, place the flying objects, run the flake loop), its note of a size
// change during the show, the handler of the timer tmrAnimation, and the
// same for the shows of the other monitors.
//
// With the environment variable GLINTMOOR_TICK_LOG naming a file, each tick
// appends its start and duration in microseconds to it (tools/bench-show.sh
// reads the gaps between ticks of the real show from there).
#pragma once

#include "saver/frm_main.h"

namespace gm {

class Animation;

// Fills in the first step of Form_Resize (BuildBG); the other parts stay as
// they are.
void installScene(ShowParts& parts);

// Adds the animation's parts to `parts`; the rest of them stay as they are.
// Installs the platform's text renderer for the date and time line.
void installAnimation(ShowParts& parts);

// The parts the program runs with: the scene and the animation.
void installShowParts();

// The animation of the window (of its primary monitor), made on its first use.
Animation& animationOf(FrmMain& window);
// The animation of another monitor, made on its first use.
Animation& animationOf(MonitorShow& monitor);

}  // namespace gm
