#pragma once
// The environment and the user's special folders.
#include <optional>
#include <string>

namespace platform {

std::optional<std::wstring> EnvironmentVariable(const std::wstring& name);

// CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES and CSIDL_COMMON_DOCUMENTS; empty when the system
// has none. POSIX answers with XDG base directories: the data home for both program folders, the
// documents directory for the shared documents.
std::wstring ProgramFilesX86Folder();
std::wstring ProgramFilesFolder();
std::wstring CommonDocumentsFolder();
// CSIDL_LOCAL_APPDATA (POSIX: the XDG data home).
std::wstring LocalAppDataFolder();

// Whether two paths name the same directory (the relative path from one to the other is "."):
// separators of either kind, trailing separators ignored; on Windows without regard to case.
bool SameDirectory(const std::wstring& a, const std::wstring& b);

}  // namespace platform
