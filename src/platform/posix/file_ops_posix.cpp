#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_ops.h"
#include "platform/text.h"

namespace platform {
namespace {

std::string Native(const std::wstring& path) {
    std::string native = WideToUtf8(path);
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

}  // namespace

UniqueFile OpenForAppend(const std::wstring& path) { return UniqueFile(std::fopen(Native(path).c_str(), "ab+e")); }
UniqueFile OpenForRead(const std::wstring& path) { return UniqueFile(std::fopen(Native(path).c_str(), "rbe")); }

std::optional<std::int64_t> FileSize(const std::wstring& path) {
    struct stat st;
    if (stat(Native(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

OsStatus RemoveFile(const std::wstring& path) {
    if (unlink(Native(path).c_str()) == 0) return OsStatus::Success();
    return OsStatus::Failure(static_cast<OsErrorCode>(errno));
}

OsStatus ReplaceFile(const std::wstring& from, const std::wstring& to) {
    if (rename(Native(from).c_str(), Native(to).c_str()) == 0) return OsStatus::Success();
    return OsStatus::Failure(static_cast<OsErrorCode>(errno));
}

}  // namespace platform
