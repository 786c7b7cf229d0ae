// sfx_plant_marker.dll: the DLL the planting test leaves beside the stub and
// in its package under the names of DLLs a program may look for in its own
// folder. Loaded, it writes the file NAME.loaded into the folder
// GLINTMOOR_PLANT_MARKER names: "static" or "dynamic" (a static import
// resolved before the program's first instruction, or a load at run time:
// DllMain's third argument tells), a blank and the loading program's path.
// Its initialisation fails, so that the program goes on without it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID staticLoad) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t marker[MAX_PATH * 2], dll[MAX_PATH], program[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"GLINTMOOR_PLANT_MARKER", marker, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return FALSE;
    GetModuleFileNameW(self, dll, MAX_PATH);
    const wchar_t* name = dll;
    for (const wchar_t* p = dll; *p; ++p)
        if (*p == L'\\' || *p == L'/') name = p + 1;
    lstrcatW(marker, L"\\");
    lstrcatW(marker, name);
    lstrcatW(marker, L".loaded");
    const wchar_t* how = staticLoad != nullptr ? L"static " : L"dynamic ";
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    const HANDLE h = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(h, how, lstrlenW(how) * sizeof(wchar_t), &written, nullptr);
        WriteFile(h, program, length * sizeof(wchar_t), &written, nullptr);
        CloseHandle(h);
    }
    return FALSE;
}
