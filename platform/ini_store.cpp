#include "platform/ini_store.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

#include "basic/vb_error.h"
#include "platform/file_places.h"

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

// The UTF-8 byte-order mark some editors put at the start of a text file.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct IniText {
    bool bom = false;  // the file starts with a byte-order mark
    std::vector<std::string> lines;
};

// The file's lines (C stdio: the C++ streams of the 32-bit Windows build
// import functions that Windows before XP lacks).
std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return lines;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
    std::fclose(in);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

IniText readIni(const std::string& path) {
    IniText ini;
    for (std::string& line : readLines(path)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (ini.lines.empty() && line.starts_with(kUtf8Bom)) {
            line.erase(0, kUtf8Bom.size());
            ini.bom = true;
        }
        ini.lines.push_back(line);
    }
    return ini;
}

// Writes the whole text to a temporary file beside the file and renames it
// over the file, so that a failed write leaves the file as it was.
void writeIni(const std::string& file, const IniText& ini) {
    const std::string folder = folderOf(file);
    if (!folder.empty()) makeFolders(folder);
    const std::string temp = file + ".new";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    bool ok = out != nullptr;
    if (ok && ini.bom)
        ok = std::fwrite(kUtf8Bom.data(), 1, kUtf8Bom.size(), out) == kUtf8Bom.size();
    for (const std::string& line : ini.lines) {
        if (!ok) break;
        ok = std::fwrite(line.data(), 1, line.size(), out) == line.size() &&
             std::fputc('\n', out) != EOF;
    }
    if (out && std::fclose(out) != 0) ok = false;
    if (!ok || !replaceFile(temp, file)) {
        std::remove(temp.c_str());
        raise(err::PathFileAccess);
    }
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
    for (const std::string& line : readIni(path_).lines) {
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
    IniText ini = readIni(path_);
    std::vector<std::string>& lines = ini.lines;
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

    writeIni(path_, ini);
}

}  // namespace gm
