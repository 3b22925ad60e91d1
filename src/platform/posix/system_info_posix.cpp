#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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

ScreenSize PrimaryScreenSize() {
    // The first frame buffer says "<width>,<height>"; a machine without one has no screen to tell.
    ScreenSize size;
    if (std::FILE* f = std::fopen("/sys/class/graphics/fb0/virtual_size", "r")) {
        if (std::fscanf(f, "%d,%d", &size.width, &size.height) != 2) size = {};
        std::fclose(f);
    }
    return size;
}

bool Is64BitSystem() {
    struct utsname names;
    return uname(&names) == 0 && std::string(names.machine).find("64") != std::string::npos;
}

UserLocale QueryUserLocale() {
    // As the C library chooses messages: LC_ALL, then LC_MESSAGES, then LANG ("zh_CN.UTF-8").
    const char* value = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        value = std::getenv(name);
        if (value && *value) break;
    }
    std::string text = value ? value : "";
    text = text.substr(0, text.find_first_of(".@"));
    const size_t underscore = text.find('_');
    if (underscore == std::string::npos || underscore == 0 || underscore + 1 >= text.size()) return {};
    return {text.substr(0, underscore), text.substr(underscore + 1), true};
}

namespace detail {
// There is no NT version here; the installer behaves as on a current Windows (10.0).
NtVersion QuerySystemNtVersion() { return NtVersion{10, 0, 0, false, true}; }
}  // namespace detail

}  // namespace platform
