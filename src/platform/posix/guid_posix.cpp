#include <sys/random.h>

#include <cstring>

#include "platform/guid.h"

namespace platform {

bool NewGuid(Guid& guid) {
    unsigned char bytes[16];
    size_t got = 0;
    while (got < sizeof(bytes)) {
        const ssize_t n = getrandom(bytes + got, sizeof(bytes) - got, 0);
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    // Version 4 (random) with the RFC 4122 variant, like the GUIDs CoCreateGuid makes.
    guid.data1 = static_cast<std::uint32_t>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    guid.data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    guid.data3 = static_cast<std::uint16_t>(((bytes[6] << 8 | bytes[7]) & 0x0FFF) | 0x4000);
    std::memcpy(guid.data4, bytes + 8, 8);
    guid.data4[0] = static_cast<std::uint8_t>((guid.data4[0] & 0x3F) | 0x80);
    return true;
}

}  // namespace platform
