#include <windows.h>

#include <ctime>

#include "platform/system_info.h"

namespace platform {

std::uint32_t CurrentProcessId() { return GetCurrentProcessId(); }
std::uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

LocalTime Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

LocalTime ToLocalTime(std::int64_t secondsSince1970, int milliseconds) {
    const __time64_t seconds = secondsSince1970;
    struct tm parts = {};
    _localtime64_s(&parts, &seconds);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, milliseconds};
}

ScreenSize PrimaryScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

bool Is64BitSystem() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel32 = GetModuleHandleW(L"kernel32");
    const auto isWow64 = kernel32 ? reinterpret_cast<IsWow64ProcessFn>(
                                        reinterpret_cast<void*>(GetProcAddress(kernel32, "IsWow64Process")))
                                  : nullptr;
    BOOL wow64 = FALSE;
    if (isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64) return true;
    SYSTEM_INFO info;
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

UserLocale QueryUserLocale() {
    char language[16] = {};
    char country[16] = {};
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, language, sizeof(language)) ||
        !GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, country, sizeof(country))) {
        return {};
    }
    return {language, country, true};
}

namespace detail {

NtVersion QuerySystemNtVersion() {
    // The undocumented export tells the truth where GetVersionEx lies to unmanifested programs.
    NtVersion version;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return version;
    using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    const auto query = reinterpret_cast<RtlGetNtVersionNumbersFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    if (!query) return version;
    DWORD major = 0, minor = 0, build = 0;
    query(&major, &minor, &build);
    version.major = major;
    version.minor = minor;
    version.build = build & 0xFFFF;
    version.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    version.known = true;
    return version;
}

}  // namespace detail
}  // namespace platform
