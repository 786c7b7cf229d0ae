#include "platform/win32/system_function.h"

#include <cstdlib>
#include <cstring>

namespace gm::win32 {
namespace {

bool listedMissing(const char* name) {
    const char* list = std::getenv("GLINTMOOR_MISSING_FUNCTIONS");
    const std::size_t n = std::strlen(name);
    for (const char* p = list; p && *p;) {
        const char* end = std::strchr(p, ',');
        const std::size_t len = end ? std::size_t(end - p) : std::strlen(p);
        if (len == n && std::strncmp(p, name, n) == 0) return true;
        p = end ? end + 1 : nullptr;
    }
    return false;
}

}  // namespace

FARPROC findSystemFunction(const char* library, const char* name) {
    if (listedMissing(name)) return nullptr;
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace gm::win32
