// The settings record of the process, filled by LoadConfig at start and
// written back by SaveConfig from the settings dialog. The values live in the
// platform's per-user store as text under application "Glintmoor", section
// "Settings".
#pragma once

#include <string>

#include "basic/numeric.h"

namespace gm {

struct Settings {
    Int16 maxFl;        // most flakes
    Int16 minFl;        // fewest flakes: maxFl * 0.5, ties to even (not stored)
    Single SpeedF = 0;  // flake step scale
    Single Size = 0;    // flake size
    Single SpeedS = 0;  // sky scroll, pixels per tick
    Single SpeedO = 0;  // flying objects' extra step
    Single Speed = 0;   // animation speed: timer period 200 / Speed ms
    Int16 Date;         // nonzero: show the date
    Int16 Time;         // nonzero: show the time
    Int16 Snowman;      // 1: place the snowman
    Int16 Classic;      // 1: the 640 x 480 picture stretched over every screen
};

// The process-wide record.
Settings& settings();

void LoadConfig();
void SaveConfig();

// --- Text forms of the stored values ------------------------------------------
// A stored number is a decimal text: optional sign, digits with a point or a
// comma as decimal separator (texts written in a comma locale still load),
// optional exponent, blanks around it.

// Text to a 16-bit integer, fractions rounded half to even. Raises 13 (Type
// mismatch) for a text that is no number, 6 (Overflow) outside the range.
Int16 textToInt16(const std::string& text);
// Text to a single-precision float. Raises 13 or 6 like textToInt16.
Single textToSingle(const std::string& text);
// The shortest text with a point, of at most 7 significant digits, that
// reads back to the same value (every value the settings dialog produces
// does); without exponent; whole numbers without separator ("6", "0.53").
std::string singleToText(Single value);

// The record as "name=value" lines in the order maxFl, minFl, SpeedF, Size,
// SpeedS, SpeedO, Speed, Date, Time, Snowman, Classic (glintmoor --print-config).
std::string describeSettings(const Settings& s);

}  // namespace gm
