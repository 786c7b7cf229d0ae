// The settings record of the process, filled by LoadConfig at start and
// written back by SaveConfig from the settings dialog.
#pragma once

#include "basic/numeric.h"

namespace gm {

struct Settings {
    Int16 maxFl;    // most flakes
    Int16 minFl;    // fewest flakes: maxFl * 0.5, ties to even (not stored)
    Single SpeedF = 0;  // flake step scale
    Single Size = 0;    // flake size
    Single SpeedS = 0;  // sky scroll, pixels per tick
    Single SpeedO = 0;  // flying objects' extra step
    Single Speed = 0;   // animation speed: timer period 200 / Speed ms
    Int16 Date;     // nonzero: show the date
    Int16 Time;     // nonzero: show the time
    Int16 Snowman;  // 1: place the snowman
};

// The process-wide record.
Settings& settings();

void LoadConfig();
void SaveConfig();

}  // namespace gm
