#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "platform/shortcuts.h"
#include "platform/win32/unique_any.h"

namespace platform {
namespace {

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

}  // namespace

std::wstring DesktopFolder() { return Folder(CSIDL_DESKTOPDIRECTORY); }

std::wstring QuickLaunchFolder() {
    const std::wstring appData = Folder(CSIDL_APPDATA);
    return appData.empty() ? appData : appData + L"\\Microsoft\\Internet Explorer\\Quick Launch";
}

OsStatus CreateShortcut(const std::wstring& link, const std::wstring& target) {
    // The caller's thread has COM initialised (ComApartment).
    win32::ComPtr<IShellLinkW> shellLink;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.put());
    if (FAILED(hr)) return OsStatus::Failure(static_cast<OsErrorCode>(hr));
    hr = shellLink->SetPath(target.c_str());
    if (FAILED(hr)) return OsStatus::Failure(static_cast<OsErrorCode>(hr));
    win32::ComPtr<IPersistFile> file;
    hr = shellLink->QueryInterface(IID_IPersistFile, file.put());
    if (SUCCEEDED(hr)) hr = file->Save(link.c_str(), TRUE);
    return SUCCEEDED(hr) ? OsStatus::Success() : OsStatus::Failure(static_cast<OsErrorCode>(hr));
}

}  // namespace platform
