// Texts compiled into the stub, converted while compiling from the UTF-8 of
// the source files to the stub's code page: UTF-8 for the Linux stub, the
// Windows ANSI code page 1252 for the Windows stub (the stub shows
// its texts in the ANSI code page).
#pragma once

#include <cstddef>

#include "sfx/core/codepage.h"

namespace gm::sfx {

#ifdef _WIN32
inline constexpr bool kStubCodePageIsUtf8 = false;
#else
inline constexpr bool kStubCodePageIsUtf8 = true;
#endif

template <size_t N>
struct StubText {
    char text[N];
    constexpr operator const char*() const { return text; }
    constexpr const char* c_str() const { return text; }
};

// Called only where a text cannot be compiled: not constexpr, so reaching
// it in a constant evaluation stops compilation with its name in the error.
void compileTimeError(const char* why);

// A character the code page lacks stops compilation.
template <size_t N>
consteval StubText<N> stubText(const char (&utf8)[N]) {
    StubText<N> t{};
    if (!isValidUtf8(utf8, N - 1)) compileTimeError("stub text is not UTF-8");
    if constexpr (kStubCodePageIsUtf8) {
        for (size_t i = 0; i < N; ++i) t.text[i] = utf8[i];
    } else {
        size_t w = 0;
        for (size_t i = 0; i + 1 < N;) {
            size_t used = 1;
            const int b = unicodeToCp1252(decodeUtf8(utf8 + i, N - 1 - i, &used));
            if (b < 0) compileTimeError("stub text has a character outside code page 1252");
            t.text[w++] = static_cast<char>(b);
            i += used;
        }
    }
    return t;
}

}  // namespace gm::sfx
