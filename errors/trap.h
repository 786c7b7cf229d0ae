// The uniform run-time error trap.
//
// Every procedure of the saver runs its statements through a Trap that knows
// the procedure's module and name. Each statement carries its own five-digit
// line number (50010, 50020, ... within the procedure). When a statement
// raises a run-time error (gm::VbError) the trap records it as the current
// error, asks the reporter (`OnError`) how to go on and acts on the answer
// (kRetryStatement, kNextStatement, kLeaveProcedure, kEndProgram below; any
// other value leaves the procedure).
//
//   void Berge(Int16& row) {
//       trapped("frmMain", "Berge", [&](Trap& at) {
//           at(50010, [&] { n = 129 + 2 * Zz(1, 4); });
//           at(50020, [&] { h = Zz(20, 120); row = row - h; });
//       });
//   }
//
// Errors of a procedure without a trap of its own travel up to the statement
// of its caller, which reports them under the caller's name.
//
// The tests check the statement numbers as the statements run: with the
// environment variable GLINTMOOR_CHECK_STATEMENTS set, a procedure that
// gives one number to two different statements ends the process with a
// message (checkStatementNumbers).
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "basic/numeric.h"
#include "basic/vb_error.h"

namespace gm {

// The current error, as the reporter reads it.
struct ErrState {
    int number = 0;
    std::string description;
    int line = 0;
};
ErrState& Err();

// The reporter's answers.
inline constexpr std::int16_t kRetryStatement = 0;  // run the failing statement again
inline constexpr std::int16_t kNextStatement = 1;   // go on with the statement after it
inline constexpr std::int16_t kLeaveProcedure = 2;  // leave the procedure at once
inline constexpr std::int16_t kEndProgram = 3;      // end the program at once

// Asks the reporter how to go on after the current error. Set by the
// reporter at start-up; tests replace it.
using ErrorHandler = Int16 (*)(const std::string& AktModul, const std::string& AktProc);
void setErrorHandler(ErrorHandler handler);
ErrorHandler errorHandler();

// True when a statement has run to its end since the latest report, at the
// depth of the reported statement or further out (the reported statement
// itself on a successful retry, the statements after it, its callers).
// Statements nested inside the reported one do not count: a statement that
// fails after calling others still fails again and again. The reporter
// counts repeated reports of one statement only while this is false.
bool statementRanSinceReport();

// Ends the program at once (kEndProgram). Set by the saver; tests replace it.
using EndProgram = void (*)();
void setEndProgram(EndProgram end);
[[noreturn]] void endProgram();

// Called when a procedure has given `line` to a second statement.
using DuplicateStatement = void (*)(const char* module, const char* proc, int line);
// While a handler is set, every statement that runs is noted under its
// procedure and number, and a number that comes again with another
// statement is handed to the handler. A statement run again (a retry, a
// loop) is the same statement; a number computed as the procedure runs is
// checked as it comes. nullptr turns the check off; the notes start afresh.
// Returns the handler set before.
DuplicateStatement checkStatementNumbers(DuplicateStatement onDuplicate);

namespace detail {
extern DuplicateStatement gStatementCheck;
void noteStatement(const char* module, const char* proc, int line, const void* statement);
// One address per statement of the source: each lambda is a type of its own.
template <typename Statement>
inline constexpr char statementTag = 0;
}  // namespace detail

class Trap {
  public:
    Trap(const char* module, const char* proc) : module_(module), proc_(proc) {}
    Trap(const Trap&) = delete;
    Trap& operator=(const Trap&) = delete;

    template <typename Statement>
    void operator()(int line, Statement&& statement) {
        if (detail::gStatementCheck)
            detail::noteStatement(module_, proc_, line,
                                  &detail::statementTag<std::remove_cvref_t<Statement>>);
        for (;;) {
            const Running running;
            try {
                statement();
            } catch (const VbError& e) {
                if (!shouldRetry(e, line, running.depth)) return;
                continue;
            }
            running.ranThrough();
            return;
        }
    }

    // Thrown to leave the procedure; caught by the trapped() that owns it.
    struct Leave {
        const Trap* owner;
    };

    const char* module() const { return module_; }
    const char* proc() const { return proc_; }

  private:
    // One statement while it runs: its depth counts the statements running
    // around it, itself included.
    struct Running {
        Running();
        ~Running();
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;
        // The statement ran to its end without an error.
        void ranThrough() const;
        const int depth;
    };

    // Reports the error of the statement at `depth` and acts on the answer:
    // true = run it again, false = go on after it; leaving and ending do not
    // return.
    bool shouldRetry(const VbError& e, int line, int depth);

    const char* module_;
    const char* proc_;
};

// Runs `body(at)` as the procedure `module`.`proc` under the trap.
template <typename Body>
void trapped(const char* module, const char* proc, Body&& body) {
    Trap at(module, proc);
    try {
        body(at);
    } catch (const Trap::Leave& leave) {
        if (leave.owner != &at) throw;
    }
}

// Runs one statement whose run-time errors are skipped without a report
// (the blending procedures use this: a failing pixel is simply left alone).
template <typename Statement>
void silently(Statement&& statement) {
    try {
        statement();
    } catch (const VbError&) {
    }
}

}  // namespace gm
