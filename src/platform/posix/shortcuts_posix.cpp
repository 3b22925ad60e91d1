#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "platform/posix/native_path.h"
#include "platform/shortcuts.h"
#include "platform/text.h"

namespace platform {
namespace {

std::wstring Home() {
    const char* home = std::getenv("HOME");
    return Utf8ToWide(home && *home ? home : "/tmp");
}

}  // namespace

std::wstring DesktopFolder() {
    const char* desktop = std::getenv("XDG_DESKTOP_DIR");
    return desktop && *desktop ? Utf8ToWide(desktop) : Home() + L"/Desktop";
}

std::wstring QuickLaunchFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    return (data && *data ? Utf8ToWide(data) : Home() + L"/.local/share") + L"/applications";
}

OsStatus CreateShortcut(const std::wstring& link, const std::wstring& target) {
    std::ofstream out(posix::NativePath(link), std::ios::binary | std::ios::trunc);
    out << "[Desktop Entry]\nType=Application\nName=Tessaro\nExec=\"" << posix::NativePath(target) << "\"\n";
    out.flush();
    return out ? OsStatus::Success() : OsStatus::Failure(static_cast<OsErrorCode>(errno ? errno : EIO));
}

}  // namespace platform
