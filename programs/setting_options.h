// The options that set the show's settings for one run: the controls of
// XScreenSaver's settings dialog for glintmoor (glintmoor.xml) pass them.
// Each number takes its setting's own unit and the range the settings
// dialog can produce (its sliders at positions 1 and 100):
//
//   -speed X         Speed, animation speed         0.1 .. 10
//   -density N       maxFl, most snowflakes          22 .. 200 (whole)
//   -flake-speed X   SpeedF, snowflake speed       2.08 .. 10
//   -flake-size X    Size, snowflake size          2.08 .. 10
//   -cloud-speed X   SpeedS, sky band speed        0.04 .. 1.03
//   -object-speed X  SpeedO, flying objects' speed 2.08 .. 10
//   -date, -no-date  Date 1 or 0
//   -time, -no-time  Time 1 or 0
//   -classic         Classic 1
//
// An option that is not given leaves the stored value; nothing is written
// to the store. The double-dash spellings (--density ...) are taken too.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/overridden_store.h"

namespace gm {

// Reads the setting option at args[i], with its value, into overrides and
// moves i to the last argument it used. Returns false, changing nothing,
// when args[i] is no setting option; a missing or out-of-range value sets
// error.
bool takeSettingOption(const std::vector<std::string>& args, std::size_t& i,
                       SettingOverrides& overrides, std::string& error);

// The lines of the usage text that list these options.
std::string settingOptionsUsage();

}  // namespace gm
