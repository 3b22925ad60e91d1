#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/file_ops.h"
#include "platform/posix/native_path.h"
#include "platform/text.h"

namespace platform {
UniqueFile OpenForAppend(const std::wstring& path) { return UniqueFile(std::fopen(posix::NativePath(path).c_str(), "ab+e")); }
UniqueFile OpenForRead(const std::wstring& path) { return UniqueFile(std::fopen(posix::NativePath(path).c_str(), "rbe")); }
UniqueFile OpenForWrite(const std::wstring& path) { return UniqueFile(std::fopen(posix::NativePath(path).c_str(), "wbe")); }

std::optional<std::int64_t> FileSize(const std::wstring& path) {
    struct stat st;
    if (stat(posix::NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

OsStatus RemoveFile(const std::wstring& path) {
    if (unlink(posix::NativePath(path).c_str()) == 0) return OsStatus::Success();
    return OsStatus::Failure(static_cast<OsErrorCode>(errno));
}

OsStatus MoveFileReplacing(const std::wstring& from, const std::wstring& to) {
    if (rename(posix::NativePath(from).c_str(), posix::NativePath(to).c_str()) == 0) return OsStatus::Success();
    return OsStatus::Failure(static_cast<OsErrorCode>(errno));
}

OsStatus CopyFileReplacing(const std::wstring& from, const std::wstring& to) {
    const std::string source = posix::NativePath(from);
    struct stat st;
    if (stat(source.c_str(), &st) != 0) return OsStatus::Failure(static_cast<OsErrorCode>(errno));
    UniqueFile in(std::fopen(source.c_str(), "rbe"));
    if (!in) return OsStatus::Failure(static_cast<OsErrorCode>(errno));
    const std::string target = posix::NativePath(to);
    (void)unlink(target.c_str());  // a file in the way is replaced; absent is fine
    UniqueFile out(std::fopen(target.c_str(), "wbe"));
    if (!out) return OsStatus::Failure(static_cast<OsErrorCode>(errno));
    char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof(block), in.get())) > 0) {
        if (std::fwrite(block, 1, n, out.get()) != n) return OsStatus::Failure(static_cast<OsErrorCode>(errno));
    }
    if (std::ferror(in.get()) || std::fflush(out.get()) != 0) return OsStatus::Failure(static_cast<OsErrorCode>(EIO));
    (void)chmod(target.c_str(), st.st_mode & 07777);  // the copy of a program stays runnable
    return OsStatus::Success();
}

std::wstring TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::wstring folder = Utf8ToWide(tmp && *tmp ? tmp : "/tmp");
    if (folder.back() != L'/') folder.push_back(L'/');
    return folder;
}

}  // namespace platform
