#pragma once
#include <cstdint>
#include <string>

#include "platform/os_error.h"

namespace platform {

struct DiskSpace {
    std::uint64_t freeBytesAvailable = 0;  // to the calling user
    std::uint64_t totalBytes = 0;
    std::uint64_t totalFreeBytes = 0;
};

struct [[nodiscard]] DiskSpaceResult {
    OsStatus status;
    DiskSpace space;
};

// Free space of the volume that holds `path` (a folder, or a drive such as "C:").
DiskSpaceResult QueryDiskSpace(const std::wstring& path);

}  // namespace platform
