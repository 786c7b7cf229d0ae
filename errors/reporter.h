// The program-wide error reporter, the hidden form `ErrPtnr`: it records the
// failing procedure's error, appends the bilingual error protocol to the
// ".EPT" file, beeps and ends the show, then tells the failing procedure how
// to go on (see errors/trap.h for the answer codes).
#pragma once

#include <array>
#include <string>

#include "basic/numeric.h"

namespace gm {

// A statement that fails again and again outside the full-screen show would
// be reported for ever: its third report in a row answers 2 (leave the
// procedure) instead of 0 (run the statement again). A statement that ran
// to its end in between (see statementRanSinceReport) starts the count
// afresh.
inline constexpr int kRepeatBound = 3;

class ErrPtnr {
  public:
    // The error record: number and description, module, procedure, line.
    std::array<std::string, 4> lblError;
    std::string lblProgInfo;

    // Reports the current error (Err()) of AktProc in AktModul.
    Int16 OnError(const std::string& AktModul, const std::string& AktProc);
    // The protocol text of the current record.
    std::string BuildProtocol() const;
    // Appends the protocol to the protocol file.
    void AppendProtocol() const;

  private:
    std::string lastStatement_;  // module, procedure, line and number of the last report
    int repeats_ = 0;            // reports of that statement in a row
};

// The process's reporter, created on first use.
ErrPtnr& errPtnr();

// The trap's default handler: the process's reporter.
Int16 OnError(const std::string& AktModul, const std::string& AktProc);

// The part of s before its first NUL character; empty when s has none.
std::string LPSTRToVBString(const std::string& s);

// The reporter ends the show through the saver's exitScreensaver, which the
// saver installs here (errors/ does not depend on saver/).
using ExitScreensaver = void (*)();
void setExitScreensaver(ExitScreensaver exit);

}  // namespace gm
