#include "diag/diag_log.h"
#include "platform/disk.h"
#include "utils/system_checks.h"

namespace Utils {

bool HardDiskManager::CheckFreeSpace(const std::wstring& directory) {
    const platform::DiskSpaceResult result = platform::QueryDiskSpace(directory);
    if (!result.status) {
        DIAG_LOG(L"HardDiskManager::CheckFreeSpace FAIL code=%ld\r\n", static_cast<long>(result.status.error));
        return false;
    }
    freeBytesAvailable = result.space.freeBytesAvailable;
    totalBytes = result.space.totalBytes;
    totalFreeBytes = result.space.totalFreeBytes;
    return true;
}

}  // namespace Utils
