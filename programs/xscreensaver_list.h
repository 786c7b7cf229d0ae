// `glintmoor --add-to-xscreensaver`: puts glintmoor into the `programs:`
// list of the user's ~/.xscreensaver, the only list of hacks XScreenSaver
// offers. A package may not edit XScreenSaver's own files, so the user runs
// this once.
//
// The list is one X resource value spread over lines: every line but the
// last ends with a backslash, and entries are separated by the two
// characters "\n", so an entry line reads "<tabs>glintmoor -root<tabs>\n"
// followed by the backslash.
// An entry may start with "-" (switched off), a visual ("GL:") and a quoted
// name before its command. The edit adds one line and changes no other,
// except that a list written on its one `programs:` line gets the backslash
// that continues it.
#pragma once

#include <string>

namespace gm {

// The command of the entry added, as the settings description
// (glintmoor.xml) starts it.
inline constexpr const char* kXScreenSaverCommand = "glintmoor -root";

enum class ProgramsListEdit {
    Added,          // the entry was added
    AlreadyListed,  // an entry runs glintmoor already (switched off or not)
    NoList,         // the text has no programs: line
};

struct ProgramsListResult {
    ProgramsListEdit edit;
    std::string text;  // the new text; the old one unless edit == Added
};

// Adds kXScreenSaverCommand to the programs: list of a ~/.xscreensaver text.
ProgramsListResult addToProgramsList(const std::string& fileText);

// The command: edits $HOME/.xscreensaver (through a symbolic link, keeping
// the file's mode) and says what it did. Returns the exit code: 0 when the
// list holds glintmoor afterwards, 1 (with what to do on stderr) when the
// file or its list is missing or cannot be written.
int addToXScreenSaver();

}  // namespace gm
