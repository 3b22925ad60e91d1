#pragma once
// Files and folders by path.
#include <string>
#include <string_view>

#include "platform/os_error.h"

namespace platform {

// The separator the system writes between path elements. Both '\\' and '/' are accepted on input.
extern const wchar_t kPathSeparator;

bool IsPathSeparator(wchar_t c);

// Full path of the running executable.
std::wstring ModuleFilePath();

// The last element of a path (everything after the last separator).
std::wstring_view FileNameOf(std::wstring_view path);
// The path without its last element and without the separator before it.
std::wstring_view DirectoryOf(std::wstring_view path);

// Whether a file or folder of that name exists. A name that ends in a separator names a folder.
bool PathExists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);

// Creates one folder; its parent must exist.
OsStatus MakeDirectory(const std::wstring& path);

}  // namespace platform
