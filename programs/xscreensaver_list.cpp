#include "programs/xscreensaver_list.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace gm {
namespace {

constexpr const char* kResource = "programs:";
constexpr const char* kBlanks = " \t";

// The lines of a text, each with its line end (the last may have none).
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, next - at));
        at = next;
    }
    return lines;
}

// A line without its line end ("\n" or "\r\n").
std::string content(const std::string& line) {
    std::size_t n = line.size();
    if (n > 0 && line[n - 1] == '\n') --n;
    if (n > 0 && line[n - 1] == '\r') --n;
    return line.substr(0, n);
}

std::string trim(const std::string& s) {
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool continues(const std::string& line) {
    const std::string c = content(line);
    return !c.empty() && c.back() == '\\';
}

bool startsList(const std::string& line) { return trim(content(line)).rfind(kResource, 0) == 0; }

// True when one entry of the list runs glintmoor: "- GL: "Name" cmd args"
// with the switch-off mark, the visual and the name all optional.
bool runsGlintmoor(std::string entry) {
    entry = trim(entry);
    if (!entry.empty() && entry[0] == '-') entry = trim(entry.substr(1));
    const std::size_t word = entry.find_first_of(kBlanks);
    if (word != std::string::npos && entry[word - 1] == ':') entry = trim(entry.substr(word));
    if (!entry.empty() && entry[0] == '"') {
        const std::size_t close = entry.find('"', 1);
        entry = close == std::string::npos ? std::string() : trim(entry.substr(close + 1));
    }
    const std::string command = entry.substr(0, entry.find_first_of(kBlanks));
    return std::filesystem::path(command).filename() == "glintmoor";
}

// True when one line of the list holds an entry that runs glintmoor.
bool lineRunsGlintmoor(std::string line) {
    line = trim(content(line));
    if (line.rfind(kResource, 0) == 0) line = line.substr(std::string(kResource).size());
    if (!line.empty() && line.back() == '\\') line.pop_back();
    for (std::size_t at = 0;;) {
        const std::size_t sep = line.find("\\n", at);
        if (runsGlintmoor(line.substr(at, sep - at))) return true;
        if (sep == std::string::npos) return false;
        at = sep + 2;
    }
}

std::string lineEnd(const std::string& line) { return line.substr(content(line).size()); }

}  // namespace

ProgramsListResult addToProgramsList(const std::string& fileText) {
    std::vector<std::string> lines = splitLines(fileText);
    std::size_t start = 0;
    while (start < lines.size() && !startsList(lines[start])) ++start;
    if (start == lines.size()) return {ProgramsListEdit::NoList, fileText};
    std::size_t last = start;
    while (last + 1 < lines.size() && continues(lines[last])) ++last;
    for (std::size_t i = start; i <= last; ++i) {
        if (lineRunsGlintmoor(lines[i])) return {ProgramsListEdit::AlreadyListed, fileText};
    }

    const std::string eol = lineEnd(lines[start]).empty() ? "\n" : lineEnd(lines[start]);
    const std::string entry = std::string("\t\t\t\t") + kXScreenSaverCommand + "\t\t\t\t    \\n";
    if (last > start && !continues(lines[last])) {
        // Before the line that ends the value, continued into it.
        lines.insert(lines.begin() + last, entry + "\\" + eol);
    } else {
        // The list is its programs: line alone, or runs to the end of the
        // file: continue its last line into the new, final entry.
        std::string& tail = lines[last];
        const std::string end = lineEnd(tail);
        std::string text = content(tail);
        if (!continues(tail)) {
            const std::string value = trim(trim(text).substr(std::string(kResource).size()));
            const bool endsEntry =
                value.size() >= 2 && value.compare(value.size() - 2, 2, "\\n") == 0;
            if (!value.empty() && !endsEntry) text += "\\n";
            text += "\\";
        }
        tail = text + (end.empty() ? eol : end);
        lines.insert(lines.begin() + last + 1, entry + eol);
    }
    std::string text;
    for (const std::string& line : lines) text += line;
    return {ProgramsListEdit::Added, text};
}

int addToXScreenSaver() {
    namespace fs = std::filesystem;
    const char* home = std::getenv("HOME");
    const std::string hint = std::string("the line to add to its programs: list is\n\n\t\t\t\t") +
                             kXScreenSaverCommand + "\t\t\t\t    \\n\\\n\n";
    if (!home || !*home) {
        std::fputs(("glintmoor: HOME is not set; in ~/.xscreensaver " + hint).c_str(), stderr);
        return 1;
    }
    const fs::path name = fs::path(home) / ".xscreensaver";
    std::error_code ec;
    const fs::path file = fs::exists(name, ec) ? fs::canonical(name, ec) : name;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr,
                     "glintmoor: %s does not exist. XScreenSaver writes it with its list of hacks "
                     "when a setting is changed in xscreensaver-settings; do that once, then run "
                     "glintmoor --add-to-xscreensaver again. In that file %s",
                     name.c_str(), hint.c_str());
        return 1;
    }
    const std::string old{std::istreambuf_iterator<char>(in), {}};
    in.close();
    const ProgramsListResult result = addToProgramsList(old);
    if (result.edit == ProgramsListEdit::AlreadyListed) {
        std::printf("glintmoor: %s lists glintmoor already; nothing changed.\n", name.c_str());
        return 0;
    }
    if (result.edit == ProgramsListEdit::NoList) {
        std::fprintf(stderr,
                     "glintmoor: %s has no programs: list (XScreenSaver then uses its built-in "
                     "one). Change a setting in xscreensaver-settings so that it writes the list, "
                     "then run glintmoor --add-to-xscreensaver again; %s",
                     name.c_str(), hint.c_str());
        return 1;
    }
    // A new file renamed over the old one: a failed write leaves it whole.
    const fs::path temp = file.string() + ".glintmoor-new";
    struct stat st {};
    const bool haveMode = ::stat(file.c_str(), &st) == 0;
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << result.text;
    out.close();
    if (!out || (haveMode && ::chmod(temp.c_str(), st.st_mode & 07777) != 0) ||
        (fs::rename(temp, file, ec), ec)) {
        fs::remove(temp, ec);
        std::fprintf(stderr, "glintmoor: cannot write %s; %s", file.c_str(), hint.c_str());
        return 1;
    }
    std::printf(
        "glintmoor: added \"%s\" to the programs: list of %s; choose Glintmoor in "
        "xscreensaver-settings.\n",
        kXScreenSaverCommand, name.c_str());
    return 0;
}

}  // namespace gm
