// Texts between the stub's code page and the wide-character (UTF-16) API
// through which the Windows stub shows texts and names files, so that every
// character survives whatever the system's ANSI code page is.
#pragma once

#include <windows.h>

#include <cstddef>

#include "sfx/core/stub_text.h"

namespace gm::sfx {

inline constexpr UINT kStubCodePage = kStubCodePageIsUtf8 ? CP_UTF8 : 1252;

// A NUL-terminated UTF-16 copy of a stub text, cut to fit; Capacity counts
// wide characters.
template <size_t Capacity>
struct WideText {
    explicit WideText(const char* text) {
        const int n = MultiByteToWideChar(kStubCodePage, 0, text, -1, text_, Capacity);
        if (n == 0) text_[0] = L'\0';
        text_[Capacity - 1] = L'\0';
    }
    operator const wchar_t*() const { return text_; }
    wchar_t text_[Capacity];
};
using WideMessage = WideText<1100>;  // messages, the about and prompt texts
using WidePath = WideText<MAX_PATH + 8>;

// A UTF-16 text in the stub's code page into out[0, capacity); false when it
// does not fit.
inline bool narrow(const wchar_t* text, char* out, size_t capacity) {
    const int n = WideCharToMultiByte(kStubCodePage, 0, text, -1, out, static_cast<int>(capacity),
                                      nullptr, nullptr);
    if (n == 0 && capacity > 0) out[0] = '\0';
    return n > 0;
}

}  // namespace gm::sfx
