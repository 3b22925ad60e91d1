#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include "platform/system_info.h"

namespace platform {

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }
std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(syscall(SYS_gettid)); }

LocalTime Now() {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    struct tm parts;
    const time_t seconds = tv.tv_sec;
    localtime_r(&seconds, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
            parts.tm_min,         parts.tm_sec,     static_cast<int>(tv.tv_usec / 1000)};
}

LocalTime ToLocalTime(std::int64_t secondsSince1970, int milliseconds) {
    const time_t seconds = static_cast<time_t>(secondsSince1970);
    struct tm parts;
    localtime_r(&seconds, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, milliseconds};
}

namespace detail {
// There is no NT version here; the installer behaves as on a current Windows (10.0).
NtVersion QuerySystemNtVersion() { return NtVersion{10, 0, 0, false, true}; }
}  // namespace detail

}  // namespace platform
