#include "config/windows_version.h"

#include "config/installer_config.h"

namespace config {

std::wstring WindowsVersionText(const platform::NtVersion& v) {
    if (!v.known) return L"XP-";
    switch (v.major) {
        case 0: case 1: case 2: case 3: case 4:
            return L"XP-";
        case 5:
            if (v.minor == 0) return L"2K";
            if (v.minor == 1) return L"XP";
            if (v.minor == 2) return v.serverR2 ? L"Server 2003 R2" : L"Server 2003";
            return L"XP+";
        case 6:
            if (v.minor == 0) return L"Vista";
            if (v.minor == 1) return L"7";
            if (v.minor == 2) return L"8";
            if (v.minor == 3) return L"8.1";
            return L"8.1+";
        case 10:
            return v.minor == 0 ? L"10" : L"10+";
        default:
            return std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." + std::to_wstring(v.build & 0xFFFF);
    }
}

WindowsVersionName GetWindowsVersionName() { return {L"Windows", WindowsVersionText(platform::QueryNtVersion())}; }

std::wstring ResolveRoute(const std::wstring& address) {
    static constexpr std::wstring_view kPlaceholder = L"${ROUTE}";
    if (address.find(kPlaceholder) == std::wstring::npos) return address;
    const std::wstring route =
        GetWindowsVersionName().version.find(L"XP") != std::wstring::npos ? L"download_silent_xp" : L"download_silent";
    // The route never contains the placeholder, so each pass removes one and the loop ends.
    std::wstring result = address;
    for (size_t at = result.find(kPlaceholder); at != std::wstring::npos; at = result.find(kPlaceholder)) {
        result.replace(at, kPlaceholder.size(), route);
    }
    return result;
}

}  // namespace config
