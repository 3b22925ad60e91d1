#include <windows.h>
#include <shlobj.h>

#include "platform/environment.h"

namespace platform {
namespace {

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

}  // namespace

std::optional<std::wstring> EnvironmentVariable(const std::wstring& name) {
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring value(size, L'\0');
    const DWORD n = GetEnvironmentVariableW(name.c_str(), value.data(), size);
    if (n == 0 || n >= size) return std::nullopt;
    value.resize(n);
    return value;
}

std::wstring ProgramFilesX86Folder() { return Folder(CSIDL_PROGRAM_FILESX86); }
std::wstring ProgramFilesFolder() { return Folder(CSIDL_PROGRAM_FILES); }
std::wstring LocalAppDataFolder() { return Folder(CSIDL_LOCAL_APPDATA); }
std::wstring CommonDocumentsFolder() { return Folder(CSIDL_COMMON_DOCUMENTS); }

bool SameDirectory(const std::wstring& a, const std::wstring& b) {
    // Separators of either kind, trailing separators ignored, letters compared as the file system
    // does (without regard to case).
    auto normal = [](std::wstring path) {
        for (wchar_t& c : path) {
            if (c == L'/') c = L'\\';
        }
        while (path.size() > 1 && path.back() == L'\\' && path[path.size() - 2] != L':') path.pop_back();
        return path;
    };
    const std::wstring x = normal(a), y = normal(b);
    return !x.empty() &&
           CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
               CSTR_EQUAL;
}

}  // namespace platform
