#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_ops.h"
#include "platform/posix/native_path.h"
#include "platform/text.h"

namespace platform {
UniqueFile OpenForAppend(const std::wstring& path) { return UniqueFile(std::fopen(posix::NativePath(path).c_str(), "ab+e")); }
UniqueFile OpenForRead(const std::wstring& path) { return UniqueFile(std::fopen(posix::NativePath(path).c_str(), "rbe")); }

std::optional<std::int64_t> FileSize(const std::wstring& path) {
    struct stat st;
    if (stat(posix::NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

OsStatus RemoveFile(const std::wstring& path) {
    if (unlink(posix::NativePath(path).c_str()) == 0) return OsStatus::Success();
    return OsStatus::Failure(static_cast<OsErrorCode>(errno));
}

OsStatus ReplaceFile(const std::wstring& from, const std::wstring& to) {
    if (rename(posix::NativePath(from).c_str(), posix::NativePath(to).c_str()) == 0) return OsStatus::Success();
    return OsStatus::Failure(static_cast<OsErrorCode>(errno));
}

}  // namespace platform
