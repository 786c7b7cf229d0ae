#include "errors/trap.h"

#include <cstdlib>

#include "errors/reporter.h"

namespace gm {
namespace {
ErrorHandler gHandler = &OnError;
void exitAtOnce() { std::_Exit(0); }
EndProgram gEnd = &exitAtOnce;
}  // namespace

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

bool Trap::shouldRetry(const VbError& e, int line) {
    ErrState& err = Err();
    err.number = e.number();
    err.description = e.description();
    err.line = line;
    const Int16 answer = gHandler(module_, proc_);
    switch (answer.value()) {
        case 0: return true;
        case 1: return false;
        case 3: endProgram();
        default: throw Leave{this};
    }
}

}  // namespace gm
