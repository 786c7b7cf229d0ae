// Code pages of the self-extractor: the OEM code page 850 in which ZIP
// tools of the DOS and Windows world store entry names (and in which the
// stub keeps its string table), UTF-8 (the Linux stub's code page
// and the names of entries flagged with general-purpose bit 11), and the
// Windows ANSI code page 1252 (the Windows stub's code page).
//
// All functions are constexpr so that the string table can be converted and
// compressed while compiling (string_table.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace gm::sfx {

// Unicode code points of bytes 0x80..0xFF of code page 850.
inline constexpr uint16_t kCp850High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};
// Unicode code points of bytes 0x80..0x9F of code page 1252 (0 = unused);
// 0xA0..0xFF are the Latin-1 code points themselves.
inline constexpr uint16_t kCp1252Controls[32] = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x0000, 0x017D, 0x0000, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178,
};

inline constexpr uint32_t kNoCodePoint = 0xFFFFFFFFu;

constexpr uint32_t cp850ToUnicode(uint8_t b) { return b < 0x80 ? b : kCp850High[b - 0x80]; }

constexpr uint32_t cp1252ToUnicode(uint8_t b) {
    if (b < 0x80 || b >= 0xA0) return b;
    return kCp1252Controls[b - 0x80] ? kCp1252Controls[b - 0x80] : kNoCodePoint;
}

// The byte of code page 850 or 1252 for a code point, or -1.
constexpr int unicodeToCp850(uint32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i)
        if (kCp850High[i] == cp) return 0x80 + i;
    return -1;
}
constexpr int unicodeToCp1252(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kCp1252Controls[i] != 0 && kCp1252Controls[i] == cp) return 0x80 + i;
    return -1;
}

// Decodes one UTF-8 sequence at s[0, n); stores its length in *used.
// Returns kNoCodePoint for a malformed or overlong sequence or a surrogate.
constexpr uint32_t decodeUtf8(const char* s, size_t n, size_t* used) {
    const auto b0 = static_cast<uint8_t>(s[0]);
    *used = 1;
    if (b0 < 0x80) return b0;
    size_t len = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (len == 0 || len > n || b0 > 0xF4) return kNoCodePoint;
    uint32_t cp = b0 & (0x7F >> len);
    for (size_t i = 1; i < len; ++i) {
        const auto b = static_cast<uint8_t>(s[i]);
        if ((b & 0xC0) != 0x80) return kNoCodePoint;
        cp = (cp << 6) | (b & 0x3F);
    }
    const uint32_t minimum = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kNoCodePoint;
    *used = len;
    return cp;
}

// Encodes a code point; returns the byte count (1..4), writing nothing when
// it would not fit in `room`.
constexpr size_t encodeUtf8(uint32_t cp, char* out, size_t room) {
    size_t len = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    if (len > room) return len;
    if (len == 1) {
        out[0] = static_cast<char>(cp);
    } else {
        for (size_t i = len - 1; i > 0; --i) {
            out[i] = static_cast<char>(0x80 | (cp & 0x3F));
            cp >>= 6;
        }
        out[0] = static_cast<char>((0xF00 >> len) | cp);
    }
    return len;
}

constexpr bool isValidUtf8(const char* s, size_t n) {
    for (size_t i = 0; i < n;) {
        size_t used = 1;
        if (decodeUtf8(s + i, n - i, &used) == kNoCodePoint) return false;
        i += used;
    }
    return true;
}

// Converts text of code page 850 into UTF-8 at out[0, capacity), with a
// terminating NUL. Returns the length without the NUL, or -1 when the
// result does not fit.
long oemToUtf8(const char* in, size_t n, char* out, size_t capacity);

// Converts code page 850 to code page 1252 in place; characters that 1252
// lacks become '?'. (Windows does this with OemToCharBuff.)
void oemToAnsi1252(char* text, size_t n);

// Converts UTF-8 to code page 1252 (or 850 when `oem`). Returns the length
// written (NUL-terminated), or -1 for text that is not UTF-8, a character
// the code page lacks, or a result that does not fit.
long utf8ToCodePage(const char* in, size_t n, char* out, size_t capacity, bool oem);

}  // namespace gm::sfx
