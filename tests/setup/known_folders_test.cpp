// The setup's folders when the newer shell functions are missing: the same
// places from SHGetFolderPathW (2000 and ME) and from the environment (NT 4)
// as from SHGetKnownFolderPath (Vista). Exit status 0 when all agree.
//   known_folders_test wow64: onWow64() as IsWow64Process answers, and
//   false where GLINTMOOR_MISSING_FUNCTIONS names IsWow64Process.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "setup/win32/installation.h"

namespace {

struct Folders {
    std::wstring localAppData, systemWide;
};

Folders folders(const char* missing) {
    _putenv_s("GLINTMOOR_MISSING_FUNCTIONS", missing);
    return {gm::setup::localAppData(), gm::setup::systemWideFolder()};
}

}  // namespace

// onWow64() looks IsWow64Process up once: a process of its own per answer.
int checkWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
    const char* missing = std::getenv("GLINTMOOR_MISSING_FUNCTIONS");
    BOOL wow64 = FALSE;
    const auto direct = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    const bool expected = !(missing && std::strstr(missing, "IsWow64Process")) && direct &&
                          direct(GetCurrentProcess(), &wow64) && wow64;
    std::printf("onWow64 %d, expected %d\n", gm::setup::onWow64(), expected);
    return gm::setup::onWow64() == expected ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "wow64") == 0) return checkWow64();
    const Folders known = folders("");
    int failures = known.localAppData.empty() || known.systemWide.empty();
    for (const char* missing : {"SHGetKnownFolderPath", "SHGetKnownFolderPath,SHGetFolderPathW"}) {
        const Folders f = folders(missing);
        const bool same = f.localAppData == known.localAppData && f.systemWide == known.systemWide;
        std::printf("%s without %s: %ls, %ls\n", same ? "ok" : "FAIL", missing,
                    f.localAppData.c_str(), f.systemWide.c_str());
        failures += !same;
    }
    // Without the variables too (NT 4): the profile, and Program Files from
    // the registry; which also shows that the lookups above did fail.
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    SetEnvironmentVariableW(L"ProgramFiles", nullptr);
    const Folders nt4 = folders("SHGetKnownFolderPath,SHGetFolderPathW");
    wchar_t profile[MAX_PATH] = {};
    GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    const bool old = *profile && nt4.localAppData == profile && nt4.systemWide == known.systemWide;
    std::printf("%s without the functions and variables: %ls, %ls\n", old ? "ok" : "FAIL",
                nt4.localAppData.c_str(), nt4.systemWide.c_str());
    failures += !old;
    std::printf("with all: %ls, %ls\n", known.localAppData.c_str(), known.systemWide.c_str());
    return failures ? 1 : 0;
}
