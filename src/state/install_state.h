#pragma once
// What the installer remembers of an installation: two registry values of the current user, the
// hand-over file "set.ini" in the product folder, and the statistics ini beside the user's data;
// and the rules derived from them (default folder, whether the old copy is uninstalled).
// Plain functions over one state record, so that the main window can own the record.
#include <string>

namespace state {

inline constexpr wchar_t kRegistryKey[] = L"Software\\KorvelSoft\\Tessaro";
inline constexpr wchar_t kUninstallerFileName[] = L"uninst.ep";

struct InstallState {
    std::wstring existingInstallDir;   // empty: no installation known
    std::wstring existingUninstaller;
    bool consoleUserIsAdmin = false;
    bool processIsAdmin = false;
};

// Reads "InstallPath" and "UnInstallEp"; an uninstaller not recorded is assumed at
// "<InstallPath>\uninst.ep".
void LoadInstallState(InstallState& state);

// The folder an installation goes to by default (also refreshes the two account facts): the
// existing installation's folder when its uninstaller is there, else "Tessaro" below the roaming
// application data ("korvel" folder) of a console administrator running elevated, or below the
// 32-bit program files folder.
std::wstring GetDefaultInstallDir(InstallState& state);

// The folder for an installation started from the custom page: the default when `editText` names
// it, else "Tessaro" below `editText`.
std::wstring GetInstallDirFromEdit(InstallState& state, const std::wstring& editText);

// True when `directory` is the existing installation's folder and its "set.ini" asks not to run
// the old uninstaller ("IsOverride" = "false" in "Uninstall").
bool SkipUninstallForOverride(const InstallState& state, const std::wstring& directory);

// After a successful installation: "InstallPath", and "UnInstallEp" when that file exists
// (`reportedUninstEp`, or "<installDir>\uninst.ep" when the package named none).
void SaveInstallState(const std::wstring& installDir, const std::wstring& reportedUninstEp);

// "set.ini" [Install] APPStore, AppName, DeviceID (new each call) and KVAnalyticsIni; the
// statistics ini's [Init] UpdateTime.
void WriteHandOverFile(const std::wstring& installDir);

// "<APPDATA or the shared documents>\KorvelData\Tessaro"
std::wstring DataFolder();

}  // namespace state
