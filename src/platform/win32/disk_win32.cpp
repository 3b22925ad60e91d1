#include <windows.h>

#include "platform/disk.h"

namespace platform {

DiskSpaceResult QueryDiskSpace(const std::wstring& path) {
    ULARGE_INTEGER available, total, totalFree;
    if (!GetDiskFreeSpaceExW(path.c_str(), &available, &total, &totalFree)) {
        return {OsStatus::Failure(GetLastError()), {}};
    }
    return {OsStatus::Success(), {available.QuadPart, total.QuadPart, totalFree.QuadPart}};
}

}  // namespace platform
