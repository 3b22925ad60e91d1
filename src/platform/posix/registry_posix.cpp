#include <sys/stat.h>

#include <cstdlib>

#include "platform/posix/native_path.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace platform {
namespace {

// A value the stand-in never stores, to tell "missing" from "empty".
constexpr wchar_t kMissing[] = L"\x01missing\x01";

std::wstring RegistryFile(bool create) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config && *config ? config : std::string(home && *home ? home : "/tmp") + "/.config";
    const std::string folder = base + "/korvel-registry";
    if (create) {
        (void)mkdir(base.c_str(), 0700);  // existing folders are fine
        (void)mkdir(folder.c_str(), 0700);
    }
    return Utf8ToWide(folder + "/HKEY_CURRENT_USER.ini");
}

}  // namespace

std::optional<std::wstring> ReadUserRegistryString(const std::wstring& key, const std::wstring& value) {
    // Long enough for any path the installer stores.
    const std::wstring data = ReadProfileString(RegistryFile(false), key, value, kMissing, 32768);
    if (data == kMissing) return std::nullopt;
    return data;
}

bool WriteUserRegistryString(const std::wstring& key, const std::wstring& value, const std::wstring& data) {
    return WriteProfileText(RegistryFile(true), key, value, data);
}

}  // namespace platform
