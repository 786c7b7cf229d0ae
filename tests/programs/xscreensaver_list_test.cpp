// --add-to-xscreensaver: the programs: list of ~/.xscreensaver gets one
// glintmoor line, every other line stays as it was, and a second run
// changes nothing.
#include "programs/xscreensaver_list.h"

#include <gtest/gtest.h>

namespace gm {
namespace {

const std::string kEntry = "\t\t\t\tglintmoor -root\t\t\t\t    \\n\\\n";

// A file as xscreensaver-settings writes it: the list ends at a blank line.
const std::string kHead = "# XScreenSaver Preferences File\nmode:\t\trandom\nprograms:\t\t\\\n";
const std::string kList =
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "  GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "-\t\t\t\txflame --root\t\t\t\t    \\n\\\n";
const std::string kTail = "\n\npointerPollTime:\t0:00:05\n";

TEST(XScreenSaverList, AddsOneLineAndKeepsTheOthers) {
    struct Case {
        const char* what;
        std::string before, after;
    } cases[] = {
        {"list ended by a blank line", kHead + kList + kTail, kHead + kList + kEntry + kTail},
        {"CRLF line ends", "programs:\\\r\n  maze -root \\n\\\r\n\r\nx: 1\r\n",
         "programs:\\\r\n  maze -root \\n\\\r\n" + kEntry.substr(0, kEntry.size() - 1) +
             "\r\n\r\nx: 1\r\n"},
        {"last entry without a continuation",
         "programs:\\\n  maze -root \\n\\\n  qix -root\nb: 1\n",
         "programs:\\\n  maze -root \\n\\\n" + kEntry + "  qix -root\nb: 1\n"},
        {"list on its one line", "programs: maze -root\nb: 1\n",
         "programs: maze -root\\n\\\n" + kEntry.substr(0, kEntry.size() - 2) + "\nb: 1\n"},
        {"empty list", "programs:\n", "programs:\\\n" + kEntry.substr(0, kEntry.size() - 2) + "\n"},
        {"list runs to the end of the file", "programs:\\\n  maze -root \\n\\",
         "programs:\\\n  maze -root \\n\\\n" + kEntry.substr(0, kEntry.size() - 2) + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramsListResult once = addToProgramsList(c.before);
        EXPECT_EQ(once.edit, ProgramsListEdit::Added);
        EXPECT_EQ(once.text, c.after);
        const ProgramsListResult twice = addToProgramsList(once.text);
        EXPECT_EQ(twice.edit, ProgramsListEdit::AlreadyListed);
        EXPECT_EQ(twice.text, once.text);
    }
}

TEST(XScreenSaverList, FindsGlintmoorHoweverTheEntryIsWritten) {
    struct Case {
        const char* line;
        bool listed;
    } cases[] = {
        {"\t\tglintmoor -root -speed 3\t\\n\\\n", true},
        {"- GL: \t\tglintmoor -root\t\\n\\\n", true},  // switched off: the user's choice
        {"  \"Winter\" /usr/libexec/xscreensaver/glintmoor\t\\n\\\n", true},
        {"  maze -root \\n  glintmoor -root \\n\\\n", true},  // two entries on one line
        {"  glintmoorish -root \\n\\\n", false},
        {"  maze -root -text glintmoor \\n\\\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string text = kHead + c.line + kTail;
        EXPECT_EQ(addToProgramsList(text).edit,
                  c.listed ? ProgramsListEdit::AlreadyListed : ProgramsListEdit::Added);
    }
    // A glintmoor line after the list's end is not in the list.
    EXPECT_EQ(addToProgramsList(kHead + kList + kTail + "#glintmoor -root\n").edit,
              ProgramsListEdit::Added);
}

TEST(XScreenSaverList, LeavesAFileWithoutAListAlone) {
    const std::string text = "mode:\t\trandom\n# programs: in a comment\n";
    const ProgramsListResult r = addToProgramsList(text);
    EXPECT_EQ(r.edit, ProgramsListEdit::NoList);
    EXPECT_EQ(r.text, text);
}

}  // namespace
}  // namespace gm
