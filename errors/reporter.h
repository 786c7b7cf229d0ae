// The program-wide error reporter `ErrPtnr`: writes the bilingual error
// protocol, appends it to the ".EPT" file, beeps and ends the show.
#pragma once

#include <string>

#include "basic/numeric.h"

namespace gm {

// Reports the current error (Err()) of procedure AktProc in module AktModul
// and answers how the failing procedure goes on (see errors/trap.h).
Int16 OnError(const std::string& AktModul, const std::string& AktProc);

// The part of s before its first NUL character; empty when s has none.
std::string LPSTRToVBString(const std::string& s);

}  // namespace gm
