// Work in progress: the protocol writer replaces this minimal reporter.
#include "errors/reporter.h"

#include <cstdio>

#include "errors/trap.h"

namespace gm {

Int16 OnError(const std::string& AktModul, const std::string& AktProc) {
    const ErrState& e = Err();
    std::fprintf(stderr, "%d (%s) %s.%s line %d\n", e.number, e.description.c_str(),
                 AktModul.c_str(), AktProc.c_str(), e.line);
    return 2;
}

std::string LPSTRToVBString(const std::string& s) {
    const auto nul = s.find('\0');
    return nul == std::string::npos ? std::string() : s.substr(0, nul);
}

}  // namespace gm
