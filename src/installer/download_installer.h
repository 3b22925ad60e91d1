#pragma once
// Chains the stages of an installation: the old copy's uninstaller when there is one, the
// download, the package. Each stage is started by the previous stage's final report, on the
// reporting runner's thread; every report reaches the window's callback first.
#include <memory>
#include <string>

#include "download/downloader.h"
#include "installer/package_installer.h"
#include "installer/uninstaller.h"
#include "utils/status.h"

namespace installer {

class CDownloadInstaller {
public:
    CDownloadInstaller(Utils::StatusCallback windowCallback, std::wstring downloadUrl, std::wstring uninstallerPath,
                       std::wstring installDir, bool dsc, bool ssc, bool adminact);
    // Destroys the downloader, then the package runner, then the uninstaller runner; each waits
    // for its run to end.
    ~CDownloadInstaller();
    CDownloadInstaller(const CDownloadInstaller&) = delete;
    CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

    void SetInstallParams(std::wstring downloadUrl, std::wstring uninstallerPath, std::wstring installDir, bool dsc,
                          bool ssc, bool adminact, bool authorizationact);
    // Begins an installation with the current settings; again after one ended, for a retry.
    void Start();
    // installDir + "\__Package_Tessaro.exe"
    std::wstring PackagePath() const;

    // Where the old uninstaller is copied before it runs (the system's temporary folder).
    static std::wstring TempFolder();

private:
    void OnDownload(std::int32_t code, double value, const wchar_t* text);
    void OnUninstall(std::int32_t code, double value, const wchar_t* text);
    void OnInstall(std::int32_t code, double value, const wchar_t* text);
    void DeletePackage();

    std::unique_ptr<download::CDownloader> downloader_;
    std::unique_ptr<PackageInstaller> packageInstaller_;
    std::unique_ptr<UnInstaller> uninstaller_;
    std::unique_ptr<UnInstaller> previousUninstaller_;  // replaced by a later Start; may still be ending
    std::wstring downloadUrl_;
    std::wstring uninstallerPath_;
    std::wstring installDir_;
    std::wstring packagePath_;
    bool dsc_;
    bool ssc_;
    bool adminact_;
    bool authorizationact_ = false;
    const Utils::StatusCallback windowCallback_;
};

}  // namespace installer
