// The uniform trap: every answer code of the reporter, nesting, and the
// silent mode of the blending procedures.
#include "errors/trap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gm {
namespace {

struct Report {
    std::string module, proc;
    int number, line;
};

std::vector<Report> gReports;
std::vector<int> gAnswers;  // answers in turn; the last one repeats

Int16 scriptedHandler(const std::string& module, const std::string& proc) {
    gReports.push_back({module, proc, Err().number, Err().line});
    const int answer = gAnswers.size() > 1 ? gAnswers.front() : gAnswers.back();
    if (gAnswers.size() > 1) gAnswers.erase(gAnswers.begin());
    return answer;
}

struct Ended {};
void endByThrowing() { throw Ended{}; }

class TrapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gReports.clear();
        setErrorHandler(&scriptedHandler);
        setEndProgram(&endByThrowing);
    }
    void TearDown() override {
        setErrorHandler(nullptr);
        setEndProgram(nullptr);
    }
};

// A procedure whose second statement fails `failures` times before it works.
std::vector<int> runProcedure(int failures) {
    std::vector<int> done;
    trapped("frmMain", "Berge", [&](Trap& at) {
        at(50010, [&] { done.push_back(50010); });
        at(50020, [&] {
            if (failures-- > 0) raise(err::Overflow);
            done.push_back(50020);
        });
        at(50030, [&] { done.push_back(50030); });
    });
    return done;
}

TEST_F(TrapTest, AnswerZeroRunsTheStatementAgain) {
    gAnswers = {0};
    EXPECT_EQ(runProcedure(2), (std::vector<int>{50010, 50020, 50030}));
    ASSERT_EQ(gReports.size(), 2u);
    EXPECT_EQ(gReports[0].module, "frmMain");
    EXPECT_EQ(gReports[0].proc, "Berge");
    EXPECT_EQ(gReports[0].number, 6);
    EXPECT_EQ(gReports[0].line, 50020);
    EXPECT_EQ(Err().description, "Overflow");
}

TEST_F(TrapTest, AnswerOneGoesOnAfterTheStatement) {
    gAnswers = {1};
    EXPECT_EQ(runProcedure(5), (std::vector<int>{50010, 50030}));
    EXPECT_EQ(gReports.size(), 1u);
}

TEST_F(TrapTest, AnswerTwoAndUnknownAnswersLeaveTheProcedure) {
    for (int answer : {2, 4, -1, 7}) {
        gReports.clear();
        gAnswers = {answer};
        EXPECT_EQ(runProcedure(5), (std::vector<int>{50010})) << answer;
        EXPECT_EQ(gReports.size(), 1u);
    }
}

TEST_F(TrapTest, AnswerThreeEndsTheProgram) {
    gAnswers = {3};
    EXPECT_THROW(runProcedure(1), Ended);
}

TEST_F(TrapTest, LeavingAnInnerProcedureReturnsToItsCaller) {
    gAnswers = {2};
    std::vector<std::string> done;
    trapped("frmMain", "BuildBG", [&](Trap& at) {
        at(50010, [&] {
            trapped("frmMain", "Wald", [&](Trap& inner) {
                inner(50010, [&] { raise(err::SubscriptOutOfRange); });
                inner(50020, [&] { done.push_back("Wald 50020"); });
            });
            done.push_back("after Wald");
        });
        at(50020, [&] { done.push_back("BuildBG 50020"); });
    });
    EXPECT_EQ(done, (std::vector<std::string>{"after Wald", "BuildBG 50020"}));
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_EQ(gReports[0].proc, "Wald");
}

TEST_F(TrapTest, ErrorsOfAnUntrappedHelperAreReportedByTheCaller) {
    gAnswers = {1};
    auto helper = [] { raise(err::DivisionByZero); };
    trapped("Allgemein", "ConvRGB", [&](Trap& at) { at(50030, helper); });
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_EQ(gReports[0].proc, "ConvRGB");
    EXPECT_EQ(gReports[0].line, 50030);
    EXPECT_EQ(gReports[0].number, 11);
}

TEST_F(TrapTest, SilentStatementsSkipErrorsWithoutReport) {
    gAnswers = {0};
    int done = 0;
    for (int i = 0; i < 3; ++i) {
        silently([&] {
            if (i == 1) raise(err::SubscriptOutOfRange);
            ++done;
        });
    }
    EXPECT_EQ(done, 2);
    EXPECT_TRUE(gReports.empty());
}

// The check of the statement numbers: a retry, a loop and numbers computed
// as the procedure runs are no duplicates; a second statement under a
// number is, each time it runs.
std::vector<std::string> gDuplicates;
void noteDuplicate(const char* module, const char* proc, int line) {
    gDuplicates.push_back(std::string(module) + "." + proc + " " + std::to_string(line));
}

TEST_F(TrapTest, TheCheckFindsANumberGivenToTwoStatements) {
    const DuplicateStatement before = checkStatementNumbers(&noteDuplicate);
    gDuplicates.clear();
    gAnswers = {kRetryStatement};
    runProcedure(2);
    trapped("frmConfig", "Form_Load", [](Trap& at) {
        int line = 50000;
        for (int i = 0; i < 3; ++i) {
            line += 10;
            at(line, [] {});
        }
    });
    EXPECT_TRUE(gDuplicates.empty());
    for (int run = 0; run < 2; ++run) {
        trapped("frmMain", "Twice", [](Trap& at) {
            at(50010, [] {});
            at(50010, [] {});
            at(50020, [] {});
        });
    }
    EXPECT_EQ(gDuplicates,
              (std::vector<std::string>{"frmMain.Twice 50010", "frmMain.Twice 50010"}));
    checkStatementNumbers(before);
}

}  // namespace
}  // namespace gm
