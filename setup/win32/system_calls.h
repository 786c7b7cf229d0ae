// The system calls of the Windows setup that take or give names and texts.
// The NT family takes them as UTF-16 through the wide calls; Windows 95, 98
// and ME only stub most of those, and there they go through the ANSI calls
// in the system's code page (platform/win32/window_text.h converts).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace gm::setup::sys {

// True on Windows 95, 98 and ME.
bool ansiSystem();

// Places.
std::wstring environment(const wchar_t* name);
std::wstring windowsFolder();
std::wstring systemFolder();
std::wstring temporaryPath();  // with its trailing backslash
std::wstring programPath();
// The short (8.3) form of an existing path, or the path itself.
std::wstring shortPath(const std::wstring& path);

// Files and folders.
DWORD attributes(const std::wstring& path);
DWORD fileSize(const std::wstring& path);  // 0 when it cannot be read
bool createFolder(const std::wstring& path);
bool deleteFile(const std::wstring& path);
bool removeFolder(const std::wstring& path);
bool copyFile(const std::wstring& from, const std::wstring& to);
// Renames `from` over `to` (the 9x family has no MoveFileEx: there the
// old file goes first).
bool replaceFile(const std::wstring& from, const std::wstring& to);
// Deletion at the next start of Windows, where the system offers it.
void deleteAtRestart(const std::wstring& path);
bool startProcess(const std::wstring& program, std::wstring commandLine,
                  const std::wstring& folder);

// The registry.
LONG openKey(HKEY root, const wchar_t* path, REGSAM access, HKEY* key);
LONG createKey(HKEY root, const wchar_t* path, HKEY* key);
std::wstring readString(HKEY key, const wchar_t* name);
bool writeString(HKEY key, const wchar_t* name, const std::wstring& value);
bool writeNumber(HKEY key, const wchar_t* name, DWORD value);
std::wstring firstSubkey(HKEY key);  // empty when it has none
void deleteKey(HKEY root, const std::wstring& name);
void deleteValue(HKEY key, const wchar_t* name);

// A value of the [boot] section of SYSTEM.INI, where the 9x family keeps
// its screen saver.
std::wstring bootSetting(const wchar_t* name);
bool writeBootSetting(const wchar_t* name, const wchar_t* value);  // nullptr deletes

// The shell and the user.
// The arguments after the program's name, split as the C runtime does.
std::vector<std::wstring> arguments();
int messageBox(const std::wstring& text, const wchar_t* caption, UINT flags);
std::wstring browseForFolder(const wchar_t* title);
void shellOpen(const wchar_t* file, const wchar_t* parameters);

}  // namespace gm::setup::sys
