// Texts between the stub's code page (UTF-8) and UTF-16, in which the
// Windows stub shows texts and names files, so that every character
// survives whatever the system's ANSI code page is. The conversion is the
// stub's own: Windows 95 has no UTF-8 code page for MultiByteToWideChar.
#pragma once

#include <windows.h>

#include <cstddef>

#include "sfx/core/stub_text.h"

namespace gm::sfx {

static_assert(kStubCodePageIsUtf8, "the Windows stub converts its texts as UTF-8");

// UTF-8 into a NUL-terminated UTF-16 text at out[0, capacity) (capacity in
// wide characters, at least 1); false for text that is not UTF-8 or does
// not fit, with what fitted before it kept.
bool widen(const char* text, wchar_t* out, size_t capacity);
// UTF-16 into UTF-8 at out[0, capacity); false when it does not fit. A lone
// surrogate becomes U+FFFD.
bool narrow(const wchar_t* text, char* out, size_t capacity);

// Copies text into out[0, capacity) when it fits with its NUL; else false,
// with out unchanged. appendWide puts it after the text in out.
bool copyWide(wchar_t* out, size_t capacity, const wchar_t* text);
bool appendWide(wchar_t* out, size_t capacity, const wchar_t* text);

// A NUL-terminated UTF-16 copy of a stub text, cut to fit; Capacity counts
// wide characters.
template <size_t Capacity>
struct WideText {
    explicit WideText(const char* text) { widen(text, text_, Capacity); }
    operator const wchar_t*() const { return text_; }
    wchar_t text_[Capacity];
};
using WideMessage = WideText<1100>;  // messages, the about and prompt texts
using WidePath = WideText<MAX_PATH + 8>;

}  // namespace gm::sfx
