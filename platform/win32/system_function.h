// Functions of newer Windows, looked up at run time: a program that imports
// them cannot even start where they are missing ("The procedure entry point
// ... could not be located"). Each caller has a fallback for a null result.
#pragma once

#include <windows.h>

namespace gm::win32 {

// The function NAME of the system library LIBRARY, or nullptr. The names
// listed in GLINTMOOR_MISSING_FUNCTIONS (separated by commas) are not
// found, so that tests can take the paths of the older systems.
FARPROC findSystemFunction(const char* library, const char* name);

template <typename Fn>
Fn systemFunction(const char* library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(findSystemFunction(library, name)));
}

}  // namespace gm::win32
