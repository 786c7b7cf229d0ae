// What the stub takes from a C runtime beyond msvcrt.dll: the C99 printf
// family. The core formats with snprintf, which mingw-w64 routes to its own
// formatter (with floating point, a sizeable part of a 40 KB program);
// the stub has no floating-point formats, so msvcrt's _vsnprintf does,
// with the C99 results (the length the whole text would need; always
// terminated).
#include <cstdarg>
#include <cstddef>

extern "C" {
int __cdecl _vsnprintf(char* out, size_t capacity, const char* format, va_list args);
int __cdecl _vscprintf(const char* format, va_list args);

int __cdecl __mingw_vsnprintf(char* out, size_t capacity, const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    int n = capacity > 0 ? _vsnprintf(out, capacity, format, args) : -1;
    if (n < 0 || static_cast<size_t>(n) >= capacity) {
        if (capacity > 0) out[capacity - 1] = '\0';
        n = _vscprintf(format, again);
    }
    va_end(again);
    return n;
}
}
