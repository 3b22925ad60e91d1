#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/paths.h"
#include "platform/posix/native_path.h"
#include "platform/text.h"

namespace platform {
const wchar_t kPathSeparator = L'/';

std::wstring ModuleFilePath() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0) return {};
    return Utf8ToWide(std::string_view(buffer, static_cast<size_t>(n)));
}

bool PathExists(const std::wstring& path) {
    struct stat st;
    return !path.empty() && stat(posix::NativePath(path).c_str(), &st) == 0;
}

bool IsDirectory(const std::wstring& path) {
    struct stat st;
    return !path.empty() && stat(posix::NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

OsStatus MakeDirectory(const std::wstring& path) {
    if (mkdir(posix::NativePath(path).c_str(), 0755) == 0) return OsStatus::Success();
    return OsStatus::Failure(static_cast<OsErrorCode>(errno));
}

}  // namespace platform
