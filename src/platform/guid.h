#pragma once
#include <cstdint>

namespace platform {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};
};

// A new random GUID (CoCreateGuid on Windows, a version 4 GUID from the kernel's random source on
// POSIX). False when the system could not make one.
bool NewGuid(Guid& guid);

}  // namespace platform
