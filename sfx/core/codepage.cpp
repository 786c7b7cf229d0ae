// Code page conversions; see codepage.h.
#include "sfx/core/codepage.h"

namespace gm::sfx {

long oemToUtf8(const char* in, size_t n, char* out, size_t capacity) {
    size_t w = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t cp = cp850ToUnicode(static_cast<uint8_t>(in[i]));
        const size_t len = encodeUtf8(cp, out + w, capacity > w ? capacity - w : 0);
        if (w + len >= capacity) return -1;  // keep room for the NUL
        w += len;
    }
    if (w >= capacity) return -1;
    out[w] = '\0';
    return static_cast<long>(w);
}

void oemToAnsi1252(char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const int b = unicodeToCp1252(cp850ToUnicode(static_cast<uint8_t>(text[i])));
        text[i] = b < 0 ? '?' : static_cast<char>(b);
    }
}

long utf8ToCodePage(const char* in, size_t n, char* out, size_t capacity, bool oem) {
    size_t w = 0;
    for (size_t i = 0; i < n;) {
        size_t used = 1;
        const uint32_t cp = decodeUtf8(in + i, n - i, &used);
        if (cp == kNoCodePoint) return -1;
        const int b = oem ? unicodeToCp850(cp) : unicodeToCp1252(cp);
        if (b < 0 || w + 1 >= capacity) return -1;
        out[w++] = static_cast<char>(b);
        i += used;
    }
    if (w >= capacity) return -1;
    out[w] = '\0';
    return static_cast<long>(w);
}

}  // namespace gm::sfx
