#pragma once
// Shortcuts to programs, as an installed product leaves them (used by the reference package).
#include <string>

#include "platform/os_error.h"

namespace platform {

// The current user's desktop folder and quick-launch folder (POSIX: the XDG desktop folder, and
// the XDG data folder's "applications").
std::wstring DesktopFolder();
std::wstring QuickLaunchFolder();

// Writes a shortcut at `link` (a ".lnk" file on Windows, a desktop entry on POSIX) to `target`.
OsStatus CreateShortcut(const std::wstring& link, const std::wstring& target);

}  // namespace platform
