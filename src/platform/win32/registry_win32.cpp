#include <windows.h>

#include <vector>

#include "platform/registry.h"
#include "platform/win32/unique_any.h"

namespace platform {
using win32::UniqueKey;

std::optional<std::wstring> ReadUserRegistryString(const std::wstring& key, const std::wstring& value) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return std::nullopt;
    UniqueKey opened(raw);
    DWORD bytes = 0;
    if (RegQueryValueExW(opened.get(), value.c_str(), nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // One character more than the data, zero-filled: the stored string need not be terminated.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(opened.get(), value.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer.data());
}

bool WriteUserRegistryString(const std::wstring& key, const std::wstring& value, const std::wstring& data) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    UniqueKey opened(raw);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.get(), value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes) ==
           ERROR_SUCCESS;
}

}  // namespace platform
