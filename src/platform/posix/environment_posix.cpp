#include <cstdlib>

#include "platform/environment.h"
#include "platform/text.h"

namespace platform {
namespace {

std::wstring Xdg(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    if (value && *value) return Utf8ToWide(value);
    const char* home = std::getenv("HOME");
    return Utf8ToWide(std::string(home && *home ? home : "/tmp") + "/" + fallbackBelowHome);
}

std::wstring Normal(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'\\') c = L'/';
    }
    while (path.size() > 1 && path.back() == L'/') path.pop_back();
    return path;
}

}  // namespace

std::optional<std::wstring> EnvironmentVariable(const std::wstring& name) {
    const char* value = std::getenv(WideToUtf8(name).c_str());
    if (!value) return std::nullopt;
    return Utf8ToWide(value);
}

std::wstring ProgramFilesX86Folder() { return Xdg("XDG_DATA_HOME", ".local/share"); }
std::wstring ProgramFilesFolder() { return Xdg("XDG_DATA_HOME", ".local/share"); }
std::wstring LocalAppDataFolder() { return Xdg("XDG_DATA_HOME", ".local/share"); }
std::wstring CommonDocumentsFolder() { return Xdg("XDG_DOCUMENTS_DIR", "Documents"); }

bool SameDirectory(const std::wstring& a, const std::wstring& b) { return !a.empty() && Normal(a) == Normal(b); }

}  // namespace platform
