#include "state/install_state.h"

#include <cwchar>

#include "config/installer_config.h"
#include "platform/environment.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "utils/system_checks.h"

namespace state {
namespace {

constexpr std::size_t kMaxPath = 260;

std::wstring Join(const std::wstring& dir, const std::wstring& name) {
    if (!dir.empty() && platform::IsPathSeparator(dir.back())) return dir + name;
    return dir + platform::kPathSeparator + name;
}

std::wstring Capped(std::wstring path) {
    if (path.size() > kMaxPath - 1) path.resize(kMaxPath - 1);
    return path;
}

}  // namespace

void LoadInstallState(InstallState& state) {
    state.existingInstallDir = platform::ReadUserRegistryString(kRegistryKey, L"InstallPath").value_or(L"");
    state.existingUninstaller = platform::ReadUserRegistryString(kRegistryKey, L"UnInstallEp").value_or(L"");
    if (state.existingUninstaller.empty() && !state.existingInstallDir.empty()) {
        state.existingUninstaller = Join(state.existingInstallDir, kUninstallerFileName);
    }
}

std::wstring GetDefaultInstallDir(InstallState& state) {
    state.consoleUserIsAdmin = Utils::IsConsoleUserAdmin();
    state.processIsAdmin = Utils::IsProcessElevatedAdmin();
    if (!state.existingInstallDir.empty() && platform::PathExists(state.existingUninstaller)) {
        return state.existingInstallDir;
    }
    std::wstring base;
    const auto appData = platform::EnvironmentVariable(L"APPDATA");
    if (state.consoleUserIsAdmin && state.processIsAdmin && appData) {
        base = Join(*appData, L"korvel");
    } else {
        base = platform::ProgramFilesX86Folder();
        if (base.empty()) base = platform::ProgramFilesFolder();
    }
    return Capped(Join(base, config::TheInstallerConfig().AppName));
}

std::wstring GetInstallDirFromEdit(InstallState& state, const std::wstring& editText) {
    const std::wstring defaultDir = GetDefaultInstallDir(state);
    if (platform::SameDirectory(defaultDir, editText)) return defaultDir;
    return Capped(Join(editText, config::TheInstallerConfig().AppName));
}

bool SkipUninstallForOverride(const InstallState& state, const std::wstring& directory) {
    if (!platform::SameDirectory(state.existingInstallDir, directory)) return false;
    return platform::ReadProfileString(Join(directory, L"set.ini"), L"Uninstall", L"IsOverride", L"true", 20) == L"false";
}

void SaveInstallState(const std::wstring& installDir, const std::wstring& reportedUninstEp) {
    // Failed writes are not the installation's failure: the product is installed either way.
    (void)platform::WriteUserRegistryString(kRegistryKey, L"InstallPath", installDir);
    const std::wstring uninstaller = reportedUninstEp.empty() ? Join(installDir, kUninstallerFileName) : reportedUninstEp;
    if (platform::PathExists(uninstaller)) {
        (void)platform::WriteUserRegistryString(kRegistryKey, L"UnInstallEp", uninstaller);
    }
}

std::wstring DataFolder() {
    const auto appData = platform::EnvironmentVariable(L"APPDATA");
    const std::wstring base = appData ? *appData : platform::CommonDocumentsFolder();
    return Join(Join(base, L"KorvelData"), config::TheInstallerConfig().AppName);
}

void WriteHandOverFile(const std::wstring& installDir) {
    const std::wstring setIni = Join(installDir, L"set.ini");
    // The profile writes below are the product's to read; failures leave it without the hand-over.
    (void)platform::WriteProfileText(setIni, L"Install", L"APPStore", config::TheInstallerConfig().ExeName);
    (void)platform::WriteProfileText(setIni, L"Install", L"AppName", config::TheInstallerConfig().AppName);
    (void)platform::WriteProfileText(setIni, L"Install", L"DeviceID", Utils::NewGuidText());
    const std::wstring folder = DataFolder();
    if (!Utils::CreateDirectoryTree(folder)) return;
    const std::wstring statisticsIni = Join(folder, L"KVAnalytics.ini");
    (void)platform::WriteProfileText(setIni, L"Install", L"KVAnalyticsIni", statisticsIni);
    const platform::LocalTime t = platform::Now();
    wchar_t stamp[40];
    std::swprintf(stamp, 40, L"%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    (void)platform::WriteProfileText(statisticsIni, L"Init", L"UpdateTime", stamp);
}

}  // namespace state
