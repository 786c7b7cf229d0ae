// Texts compiled into the stub, checked while compiling to be UTF-8: every
// stub keeps its texts in UTF-8 (the Windows stub shows them through the
// wide-character API, so that they read right whatever the system's ANSI
// code page is).
#pragma once

#include <cstddef>

#include "sfx/core/codepage.h"

namespace gm::sfx {

inline constexpr bool kStubCodePageIsUtf8 = true;

template <size_t N>
struct StubText {
    char text[N];
    constexpr operator const char*() const { return text; }
    constexpr const char* c_str() const { return text; }
};

// Called only where a text cannot be compiled: not constexpr, so reaching
// it in a constant evaluation stops compilation with its name in the error.
void compileTimeError(const char* why);

template <size_t N>
consteval StubText<N> stubText(const char (&utf8)[N]) {
    StubText<N> t{};
    if (!isValidUtf8(utf8, N - 1)) compileTimeError("stub text is not UTF-8");
    for (size_t i = 0; i < N; ++i) t.text[i] = utf8[i];
    return t;
}

}  // namespace gm::sfx
