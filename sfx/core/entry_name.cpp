// Entry names; see entry_name.h.
#include "sfx/core/entry_name.h"

#include <cstring>

#include "sfx/core/codepage.h"
#include "sfx/core/stub_text.h"

namespace gm::sfx {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension.
bool isDeviceName(const char* s, size_t n) {
    size_t base = 0;
    while (base < n && s[base] != '.') ++base;
    while (base > 0 && s[base - 1] == ' ') --base;
    char b[5] = {};
    if (base < 3 || base > 4) return false;
    for (size_t i = 0; i < base; ++i) b[i] = upper(s[i]);
    if (base == 3)
        return !std::strcmp(b, "CON") || !std::strcmp(b, "PRN") || !std::strcmp(b, "AUX") ||
               !std::strcmp(b, "NUL");
    return (!std::strncmp(b, "COM", 3) || !std::strncmp(b, "LPT", 3)) && b[3] >= '1' && b[3] <= '9';
}

}  // namespace

NameStatus convertEntryName(const uint8_t* raw, size_t n, bool utf8, char* out, size_t capacity) {
    if (capacity == 0) return NameStatus::TooLong;
    if (std::memchr(raw, 0, n) != nullptr) return NameStatus::Unsafe;
    const auto* text = reinterpret_cast<const char*>(raw);
    if (utf8) {
        if (!isValidUtf8(text, n)) return NameStatus::BadEncoding;
        if (n >= capacity) return NameStatus::TooLong;
        std::memcpy(out, text, n);
        out[n] = '\0';
        return NameStatus::Ok;
    }
    return oemToUtf8(text, n, out, capacity) < 0 ? NameStatus::TooLong : NameStatus::Ok;
}

NameStatus makeRelativePath(const char* name, size_t length, char* rel, size_t capacity,
                            bool windowsRules) {
    if (length == 0) return NameStatus::Unsafe;
    if (length >= capacity) return NameStatus::TooLong;
    // A leading separator (an absolute name, a network path) is stripped:
    // the name is taken relative to the unpacking folder.
    size_t start = 0;
    while (start < length && isSeparator(name[start])) ++start;
    size_t w = 0;
    while (start < length) {
        size_t end = start;
        while (end < length && !isSeparator(name[end])) ++end;
        const char* comp = name + start;
        const size_t n = end - start;
        if (n == 0) {
            // "a//b" and a folder entry's trailing separator: nothing to add.
            start = end + 1;
            continue;
        }
        bool onlyDotsAndBlanks = true;
        size_t dots = 0;
        for (size_t i = 0; i < n; ++i) {
            if (comp[i] == '\0') return NameStatus::Unsafe;
            // A drive or a stream on Windows; an ordinary character elsewhere.
            if (comp[i] == ':' && windowsRules) return NameStatus::Unsafe;
            if (comp[i] == '.')
                ++dots;
            else if (comp[i] != ' ')
                onlyDotsAndBlanks = false;
        }
        if (onlyDotsAndBlanks && !(n == 1 && dots == 1)) return NameStatus::Unsafe;
        if (windowsRules && isDeviceName(comp, n)) return NameStatus::Unsafe;
        if (!(n == 1 && comp[0] == '.')) {
            if (w > 0) rel[w++] = '/';
            std::memcpy(rel + w, comp, n);
            w += n;
        }
        start = end + 1;
    }
    if (w == 0) return NameStatus::Unsafe;  // nothing but separators and "."
    rel[w] = '\0';
    return NameStatus::Ok;
}

NameStatus makeFullPath(const char* folder, const char* rel, char separator, char* out,
                        size_t capacity) {
    const size_t f = std::strlen(folder);
    const size_t r = std::strlen(rel);
    const bool needSeparator = f == 0 || !isSeparator(folder[f - 1]);
    const size_t total = f + (needSeparator ? 1 : 0) + r;
    if (total >= capacity) return NameStatus::TooLong;
    std::memcpy(out, folder, f);
    size_t w = f;
    if (needSeparator) out[w++] = separator;
    for (size_t i = 0; i < r; ++i) out[w++] = rel[i] == '/' ? separator : rel[i];
    out[w] = '\0';
    return NameStatus::Ok;
}

bool linkStaysInside(const char* rel, const char* target, size_t length) {
    if (length == 0 || target[0] == '/' || std::memchr(target, 0, length) != nullptr) return false;
    size_t depth = 0;  // folders above the link, up to the unpacking folder
    for (const char* p = rel; *p; ++p)
        if (*p == '/') ++depth;
    bool descended = false;
    for (size_t start = 0; start < length;) {
        size_t end = start;
        while (end < length && target[end] != '/') ++end;
        const size_t n = end - start;
        if (n == 2 && target[start] == '.' && target[start + 1] == '.') {
            // Climbing after descending would leave through links the
            // archive or the setup may have made: refused.
            if (descended || depth == 0) return false;
            --depth;
        } else if (!(n == 0 || (n == 1 && target[start] == '.'))) {
            descended = true;
        }
        start = end + 1;
    }
    return true;
}

const char* fileNamePart(const char* path) {
    const char* last = path;
    for (const char* p = path; *p; ++p)
        if (isSeparator(*p)) last = p + 1;
    return last;
}

void printableName(const uint8_t* raw, size_t n, char* out, size_t capacity) {
    size_t w = 0;
    for (size_t i = 0; i < n && w + 1 < capacity; ++i)
        out[w++] = raw[i] >= 0x20 && raw[i] < 0x7F ? static_cast<char>(raw[i]) : '?';
    out[w] = '\0';
}

}  // namespace gm::sfx
