#pragma once
// Files by wide path: buffered streams, sizes, removal and replacement.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/os_error.h"

namespace platform {

struct FileCloser {
    void operator()(std::FILE* file) const { (void)std::fclose(file); }  // callers flush what matters first
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Binary streams. OpenForAppend creates the file when missing and reads from its start.
UniqueFile OpenForAppend(const std::wstring& path);
UniqueFile OpenForRead(const std::wstring& path);
// Creates the file, or empties it when it exists.
UniqueFile OpenForWrite(const std::wstring& path);

// Size in bytes of a regular file, or nothing when it does not exist or cannot be read.
std::optional<std::int64_t> FileSize(const std::wstring& path);

OsStatus RemoveFile(const std::wstring& path);
// Moves `from` to `to`, replacing a file already there.
OsStatus MoveFileReplacing(const std::wstring& from, const std::wstring& to);
// Copies `from` to `to` (with its permissions), replacing a file already there.
OsStatus CopyFileReplacing(const std::wstring& from, const std::wstring& to);

// The system's folder for temporary files, ending in a separator.
std::wstring TempFolder();

}  // namespace platform
