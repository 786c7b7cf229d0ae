// The system calls of the Windows stub that take or give names and texts.
// The NT family takes them as UTF-16 through the wide calls, whatever its
// ANSI code page; Windows 95, 98 and ME only stub most wide calls, and there
// the names go through the ANSI calls in the system's code page (a name
// with a character that code page lacks cannot be reached there).
//
// Results have the wide calls' meaning: a length, 0 for a failure, a length
// at or above the capacity when the result does not fit.
#pragma once

#include <windows.h>

namespace gm::sfx::sys {

// True on Windows 95, 98 and ME.
bool ansiSystem();

// UTF-16 in the system's ANSI code page (up to two bytes a character), cut
// to fit.
struct AnsiText {
    explicit AnsiText(const wchar_t* text);
    operator char*() { return text_; }
    char text_[2200];
};

// Files and folders.
HANDLE openFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition);
DWORD fileAttributes(const wchar_t* path);
BOOL setFileAttributes(const wchar_t* path, DWORD attributes);
BOOL createFolder(const wchar_t* path);
BOOL deleteFile(const wchar_t* path);
BOOL removeFolder(const wchar_t* path);
BOOL setCurrentFolder(const wchar_t* path);
HANDLE findFirstFile(const wchar_t* pattern, WIN32_FIND_DATAW* data);
BOOL findNextFile(HANDLE find, WIN32_FIND_DATAW* data);
// The short (8.3) form of a path, always in the ANSI code page.
DWORD shortAnsiPath(const wchar_t* path, char* out, DWORD capacity);
BOOL volumeLabel(const wchar_t* root, wchar_t* out, DWORD capacity);

// Places and names the system gives.
DWORD moduleFileName(wchar_t* out, DWORD capacity);
UINT systemFolder(wchar_t* out, UINT capacity);
UINT windowsFolder(wchar_t* out, UINT capacity);
DWORD environmentVariable(const wchar_t* name, wchar_t* out, DWORD capacity);
DWORD searchPath(const wchar_t* name, wchar_t* out, DWORD capacity);

// Programs and libraries.
HMODULE loadLibrary(const wchar_t* path);
// A new process with this command line, shown in its default way.
BOOL createProcess(wchar_t* commandLine, PROCESS_INFORMATION* info);

// A window's text from UTF-8.
void setWindowText(HWND window, const char* text);

}  // namespace gm::sfx::sys
