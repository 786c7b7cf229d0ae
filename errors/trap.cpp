#include "errors/trap.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <tuple>

#include "errors/reporter.h"

namespace gm {
namespace {
ErrorHandler gHandler = &OnError;
void exitAtOnce() { std::_Exit(0); }
EndProgram gEnd = &exitAtOnce;

int gDepth = 0;                                        // statements running now
int gReportedDepth = std::numeric_limits<int>::max();  // depth of the latest report
bool gRanSinceReport = false;

// Module, procedure and number -> the statement that had the number first.
using StatementKey = std::tuple<std::string, std::string, int>;
std::map<StatementKey, const void*>& statementsSeen() {
    static std::map<StatementKey, const void*> seen;
    return seen;
}

void endOnDuplicate(const char* module, const char* proc, int line) {
    std::fprintf(stderr, "%s.%s gives the statement number %d to two statements\n", module, proc,
                 line);
    std::abort();
}

// The tests' check is on from the start of the process.
const bool gCheckFromStart = [] {
    if (std::getenv("GLINTMOOR_CHECK_STATEMENTS")) checkStatementNumbers(&endOnDuplicate);
    return true;
}();
}  // namespace

namespace detail {
DuplicateStatement gStatementCheck = nullptr;

void noteStatement(const char* module, const char* proc, int line, const void* statement) {
    const auto [at, fresh] = statementsSeen().try_emplace({module, proc, line}, statement);
    if (!fresh && at->second != statement) gStatementCheck(module, proc, line);
}
}  // namespace detail

DuplicateStatement checkStatementNumbers(DuplicateStatement onDuplicate) {
    const DuplicateStatement before = detail::gStatementCheck;
    detail::gStatementCheck = onDuplicate;
    statementsSeen().clear();
    return before;
}

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
        case kRetryStatement:
            return true;
        case kNextStatement:
            return false;
        case kEndProgram:
            endProgram();
        default:
            throw Leave{this};
    }
}

}  // namespace gm
