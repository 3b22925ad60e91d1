#include <windows.h>

#include <vector>

#include "platform/profile.h"

namespace platform {

std::wstring ReadProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, std::size_t bufferChars) {
    if (bufferChars == 0) return {};
    std::vector<wchar_t> buffer(bufferChars, L'\0');
    const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                             static_cast<DWORD>(bufferChars), file.c_str());
    return std::wstring(buffer.data(), n);
}

bool WriteProfileText(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::wstring& value) {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

}  // namespace platform
