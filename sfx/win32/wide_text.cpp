// UTF-8 and UTF-16; see wide_text.h.
#include "sfx/win32/wide_text.h"

#include <cstring>

namespace gm::sfx {

bool widen(const char* text, wchar_t* out, size_t capacity) {
    const size_t n = std::strlen(text);
    size_t w = 0;
    bool ok = true;
    for (size_t i = 0; i < n;) {
        size_t used = 1;
        uint32_t cp = decodeUtf8(text + i, n - i, &used);
        const size_t units = cp >= 0x10000 ? 2 : 1;
        if (cp == kNoCodePoint || w + units >= capacity) {
            ok = false;
            break;
        }
        if (units == 2) {
            cp -= 0x10000;
            out[w++] = static_cast<wchar_t>(0xD800 | (cp >> 10));
            cp = 0xDC00 | (cp & 0x3FF);
        }
        out[w++] = static_cast<wchar_t>(cp);
        i += used;
    }
    out[w] = L'\0';
    return ok;
}

bool narrow(const wchar_t* text, char* out, size_t capacity) {
    size_t w = 0;
    for (; *text; ++text) {
        uint32_t cp = static_cast<uint16_t>(*text);
        const uint32_t next = static_cast<uint16_t>(text[1]);
        if (cp >= 0xD800 && cp < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
            ++text;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        const size_t len = encodeUtf8(cp, out + w, capacity > w ? capacity - w : 0);
        if (w + len >= capacity) {
            if (capacity > 0) out[w < capacity ? w : 0] = '\0';
            return false;
        }
        w += len;
    }
    if (w >= capacity) return false;
    out[w] = '\0';
    return true;
}

bool copyWide(wchar_t* out, size_t capacity, const wchar_t* text) {
    size_t n = 0;
    while (text[n] != L'\0') ++n;
    if (n >= capacity) return false;
    for (size_t i = 0; i <= n; ++i) out[i] = text[i];
    return true;
}

bool appendWide(wchar_t* out, size_t capacity, const wchar_t* text) {
    size_t n = 0;
    while (n < capacity && out[n] != L'\0') ++n;
    return n < capacity && copyWide(out + n, capacity - n, text);
}

}  // namespace gm::sfx
