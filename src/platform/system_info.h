#pragma once
// Facts about this process and this system.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

std::uint32_t CurrentProcessId();
std::uint32_t CurrentThreadId();

struct LocalTime {
    int year, month, day, hour, minute, second, milliseconds;
};
LocalTime Now();
// A moment given in seconds since 1970 (UTC), in local time.
LocalTime ToLocalTime(std::int64_t secondsSince1970, int milliseconds);

// The NT version numbers as RtlGetNtVersionNumbers gives them (build masked to 16 bits).
// `known` is false when the numbers could not be read at all.
// Whether the operating system is 64-bit (on Windows also for this 32-bit program under WOW64).
bool Is64BitSystem();

// The user's default locale as ISO 639 language and ISO 3166 country ("zh", "CN"); `known` is
// false when the system does not say.
struct UserLocale {
    std::string language;
    std::string country;
    bool known = false;
};
UserLocale QueryUserLocale();

// The primary screen's size in pixels; zeros when there is no screen to ask.
struct ScreenSize {
    int width = 0;
    int height = 0;
};
ScreenSize PrimaryScreenSize();

struct NtVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    bool serverR2 = false;
    bool known = false;
};
NtVersion QueryNtVersion();

namespace testing {
// Makes QueryNtVersion answer `version` (or the system again, for std::nullopt). Tests only.
void OverrideNtVersion(std::optional<NtVersion> version);
}  // namespace testing

}  // namespace platform
