// The setup's folders when the newer shell functions are missing: the same
// places from SHGetFolderPathW (2000 and ME) and from the environment (NT 4)
// as from SHGetKnownFolderPath (Vista). Exit status 0 when all agree.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

int main() {
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
