// What the stub takes from a C runtime beyond msvcrt.dll: the C99 printf
// family and strnlen. The core formats with snprintf, which mingw-w64 routes
// to its own formatter (with floating point, a sizeable part of a 40 KB
// program); the stub has no floating-point formats, so msvcrt's _vsnprintf
// does, always terminated. A text that does not fit reports `capacity`
// instead of its whole length: every caller in the stub only compares the
// result with the capacity, and the whole length would need mingw's static
// _vscprintf. mingw's strnlen is static code too; memchr is msvcrt's.
#include <cstdarg>
#include <cstddef>
#include <cstring>

extern "C" {
int __cdecl _vsnprintf(char* out, size_t capacity, const char* format, va_list args);

int __cdecl __mingw_vsnprintf(char* out, size_t capacity, const char* format, va_list args) {
    if (capacity == 0) return 0;
    const int n = _vsnprintf(out, capacity, format, args);
    if (n >= 0 && static_cast<size_t>(n) < capacity) return n;
    out[capacity - 1] = '\0';
    return static_cast<int>(capacity);
}

size_t __cdecl strnlen(const char* s, size_t limit) {
    const void* end = std::memchr(s, 0, limit);
    return end ? static_cast<size_t>(static_cast<const char*>(end) - s) : limit;
}
}
