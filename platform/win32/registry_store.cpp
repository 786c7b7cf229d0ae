#include "platform/win32/registry_store.h"

#include <windows.h>

#include "basic/vb_error.h"

namespace gm::win32 {
namespace {

std::string keyPath(const std::string& app, const std::string& section) {
    return "Software\\" + app + "\\" + section;
}

}  // namespace

std::optional<std::string> RegistryStore::GetSetting(const std::string& app,
                                                     const std::string& section,
                                                     const std::string& key) {
    HKEY hkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, KEY_QUERY_VALUE,
                      &hkey) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> result;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(hkey, key.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string text(size, '\0');
        if (RegQueryValueExA(hkey, key.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS) {
            text.resize(size);
            // The stored text usually carries its terminating NUL.
            if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
            result = std::move(text);
        }
    }
    RegCloseKey(hkey);
    return result;
}

void RegistryStore::SaveSetting(const std::string& app, const std::string& section,
                                const std::string& key, const std::string& value) {
    HKEY hkey;
    LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &hkey, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(hkey, key.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1));
        RegCloseKey(hkey);
    }
    if (status != ERROR_SUCCESS) raise(err::PathFileAccess);
}

}  // namespace gm::win32
