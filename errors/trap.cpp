#include "errors/trap.h"

#include <cstdlib>
#include <limits>

#include "errors/reporter.h"

namespace gm {
namespace {
ErrorHandler gHandler = &OnError;
void exitAtOnce() { std::_Exit(0); }
EndProgram gEnd = &exitAtOnce;

int gDepth = 0;                                        // statements running now
int gReportedDepth = std::numeric_limits<int>::max();  // depth of the latest report
bool gRanSinceReport = false;
}  // namespace

Trap::Running::Running() : depth(++gDepth) {}
Trap::Running::~Running() { --gDepth; }

void Trap::Running::ranThrough() const {
    if (depth <= gReportedDepth) gRanSinceReport = true;
}

bool statementRanSinceReport() { return gRanSinceReport; }

ErrState& Err() {
    static ErrState state;
    return state;
}

void setErrorHandler(ErrorHandler handler) { gHandler = handler ? handler : &OnError; }
ErrorHandler errorHandler() { return gHandler; }

void setEndProgram(EndProgram end) { gEnd = end ? end : &exitAtOnce; }

void endProgram() {
    gEnd();
    std::_Exit(0);  // an injected end that returns still must not go on
}

bool Trap::shouldRetry(const VbError& e, int line, int depth) {
    ErrState& err = Err();
    err.number = e.number();
    err.description = e.description();
    err.line = line;
    const Int16 answer = gHandler(module_, proc_);
    // What ran inside the report (exitScreensaver) does not count.
    gReportedDepth = depth;
    gRanSinceReport = false;
    switch (answer.value()) {
        case 0:
            return true;
        case 1:
            return false;
        case 3:
            endProgram();
        default:
            throw Leave{this};
    }
}

}  // namespace gm
