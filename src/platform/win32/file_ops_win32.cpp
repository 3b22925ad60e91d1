#include <windows.h>

#include "platform/file_ops.h"

namespace platform {

UniqueFile OpenForAppend(const std::wstring& path) { return UniqueFile(_wfopen(path.c_str(), L"ab+")); }
UniqueFile OpenForRead(const std::wstring& path) { return UniqueFile(_wfopen(path.c_str(), L"rb")); }
UniqueFile OpenForWrite(const std::wstring& path) { return UniqueFile(_wfopen(path.c_str(), L"wb")); }

std::optional<std::int64_t> FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

OsStatus RemoveFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return OsStatus::Success();
    return OsStatus::Failure(GetLastError());
}

OsStatus MoveFileReplacing(const std::wstring& from, const std::wstring& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return OsStatus::Success();
    return OsStatus::Failure(GetLastError());
}

OsStatus CopyFileReplacing(const std::wstring& from, const std::wstring& to) {
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return OsStatus::Success();
    return OsStatus::Failure(GetLastError());
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return {};
    return std::wstring(buffer, n);
}

}  // namespace platform
