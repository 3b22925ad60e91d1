#include <sys/statvfs.h>

#include <cerrno>

#include "platform/disk.h"
#include "platform/posix/native_path.h"
#include "platform/text.h"

namespace platform {

DiskSpaceResult QueryDiskSpace(const std::wstring& path) {
    struct statvfs vfs;
    const std::string native = posix::NativePath(path);
    if (native.empty() || statvfs(native.c_str(), &vfs) != 0) {
        return {OsStatus::Failure(static_cast<OsErrorCode>(native.empty() ? ENOENT : errno)), {}};
    }
    DiskSpace space;
    space.freeBytesAvailable = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    space.totalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    space.totalFreeBytes = static_cast<std::uint64_t>(vfs.f_bfree) * vfs.f_frsize;
    return {OsStatus::Success(), space};
}

}  // namespace platform
