#pragma once
// String values under HKEY_CURRENT_USER. On POSIX a file-backed stand-in: one profile file,
// "$XDG_CONFIG_HOME/korvel-registry/HKEY_CURRENT_USER.ini", with a section per key path.
#include <optional>
#include <string>

namespace platform {

// The value's data whatever its type; nothing when the key or the value is missing.
std::optional<std::wstring> ReadUserRegistryString(const std::wstring& key, const std::wstring& value);
// Creates the key when missing and writes a REG_SZ value.
bool WriteUserRegistryString(const std::wstring& key, const std::wstring& value, const std::wstring& data);

}  // namespace platform
