#include "platform/ini_store.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "basic/vb_error.h"

namespace gm {
namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool sameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The section a header line opens, or nothing when the line is no header.
std::optional<std::string> sectionOf(const std::string& line) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
    return trim(t.substr(1, t.size() - 2));
}

// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<std::string> keyOf(const std::string& line) {
    const std::string t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return trim(t.substr(0, eq));
}

}  // namespace

std::optional<std::string> IniStore::GetSetting(const std::string&, const std::string& section,
                                                const std::string& key) {
    bool inSection = false;
    for (const std::string& line : readLines(path_)) {
        if (auto s = sectionOf(line)) {
            inSection = sameText(*s, section);
        } else if (inSection) {
            if (auto k = keyOf(line); k && sameText(*k, key)) {
                return trim(line.substr(line.find('=') + 1));
            }
        }
    }
    return std::nullopt;
}

void IniStore::SaveSetting(const std::string&, const std::string& section, const std::string& key,
                           const std::string& value) {
    std::vector<std::string> lines = readLines(path_);
    const std::string entry = key + "=" + value;

    bool inSection = false;
    std::optional<std::size_t> sectionEnd;  // insertion point after the section's last entry
    bool written = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        if (auto s = sectionOf(lines[i])) {
            inSection = sameText(*s, section);
            if (inSection) sectionEnd = i + 1;
        } else if (inSection) {
            if (auto k = keyOf(lines[i]); k && sameText(*k, key)) {
                lines[i] = entry;
                written = true;
            } else if (!trim(lines[i]).empty()) {
                sectionEnd = i + 1;
            }
        }
    }
    if (!written) {
        if (sectionEnd) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), entry);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }

    const std::filesystem::path file(path_);
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << '\n';
    out.close();
    if (!out) raise(err::PathFileAccess);
}

}  // namespace gm
