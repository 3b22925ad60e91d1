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
