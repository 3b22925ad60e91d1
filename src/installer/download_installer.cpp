#include "installer/download_installer.h"

#include <mutex>

#include "config/installer_config.h"
#include "diag/diag_log.h"
#include "platform/file_ops.h"
#include "platform/paths.h"
#include "utils/system_checks.h"

namespace installer {
namespace {

// The last package file deleted, process-wide: a package left by an attempt into another folder
// is removed by the next deletion. The mutex also keeps a deletion from seeing the package path
// half replaced by a new Start().
std::mutex g_lastPackageMutex;
std::wstring g_lastPackagePath;

}  // namespace

CDownloadInstaller::CDownloadInstaller(Utils::StatusCallback windowCallback, std::wstring downloadUrl,
                                       std::wstring uninstallerPath, std::wstring installDir, bool dsc, bool ssc,
                                       bool adminact)
    : downloadUrl_(std::move(downloadUrl)),
      uninstallerPath_(std::move(uninstallerPath)),
      installDir_(std::move(installDir)),
      dsc_(dsc),
      ssc_(ssc),
      adminact_(adminact),
      windowCallback_(std::move(windowCallback)) {}

CDownloadInstaller::~CDownloadInstaller() {
    downloader_.reset();
    packageInstaller_.reset();
    uninstaller_.reset();
    previousUninstaller_.reset();
}

void CDownloadInstaller::SetInstallParams(std::wstring downloadUrl, std::wstring uninstallerPath,
                                          std::wstring installDir, bool dsc, bool ssc, bool adminact,
                                          bool authorizationact) {
    downloadUrl_ = std::move(downloadUrl);
    uninstallerPath_ = std::move(uninstallerPath);
    installDir_ = std::move(installDir);
    dsc_ = dsc;
    ssc_ = ssc;
    adminact_ = adminact;
    authorizationact_ = authorizationact;
}

std::wstring CDownloadInstaller::PackagePath() const {
    return installDir_ + platform::kPathSeparator + L"__Package_" + config::TheInstallerConfig().AppName + L".exe";
}

std::wstring CDownloadInstaller::TempFolder() {
    const std::wstring base = platform::TempFolder();
    if (base.empty()) return {};
    const std::wstring folder = base + L"~KorvelTemp.92482B06FB471E17" + platform::kPathSeparator;
    if (platform::IsDirectory(folder) || platform::MakeDirectory(folder)) return folder;
    return {};
}

void CDownloadInstaller::Start() {
    // The last installation's final report has reached the window, but the runner may still be
    // deleting that attempt's package: let it finish before the settings change.
    if (packageInstaller_) packageInstaller_->Wait();
    std::lock_guard<std::mutex> lock(g_lastPackageMutex);
    packagePath_ = PackagePath();
    DIAG_LOG(L"DL_TYPE=%d\r\n", config::TheInstallerConfig().DownloadType);
    if (!downloader_) {
        downloader_ = download::CreateDownloader(
            config::TheInstallerConfig().DownloadType,
            [this](std::int32_t code, double value, const wchar_t* text) { OnDownload(code, value, text); },
            downloadUrl_, packagePath_);
    }
    if (!packageInstaller_) {
        packageInstaller_ = std::make_unique<PackageInstaller>(
            [this](std::int32_t code, double value, const wchar_t* text) { OnInstall(code, value, text); },
            L"\"" + packagePath_ + L"\"", installDir_);
    }
    packageInstaller_->installDir = installDir_;
    packageInstaller_->dsc = dsc_;
    packageInstaller_->ssc = ssc_;
    packageInstaller_->adminact = adminact_;
    packageInstaller_->authorizationact = authorizationact_;

    if (!uninstallerPath_.empty() && platform::PathExists(uninstallerPath_)) {
        const std::wstring folder = TempFolder();
        const std::wstring copy = folder.empty() ? std::wstring() : folder + L"Tessaro_un_asa.exe";
        // A failed copy is not reported here: the runner finds no file and says so.
        if (!copy.empty()) (void)platform::CopyFileReplacing(uninstallerPath_, copy);
        // The earlier runner (of an attempt that ended) is kept until this one is replaced.
        previousUninstaller_ = std::move(uninstaller_);
        uninstaller_ = std::make_unique<UnInstaller>(
            [this](std::int32_t code, double value, const wchar_t* text) { OnUninstall(code, value, text); }, copy,
            std::wstring(platform::DirectoryOf(uninstallerPath_)));
        uninstaller_->Start();
    } else {
        downloader_->Start();
    }
}

void CDownloadInstaller::OnDownload(std::int32_t code, double value, const wchar_t* text) {
    windowCallback_(code, value, text);
    switch (code) {
        case DL_CODE_START:
            DIAG_LOG(L"DL_CODE_START\r\n");
            (void)Utils::CreateDirectoryTree(installDir_);  // a failure shows when the file is written
            break;
        case DL_CODE_PROGRESS:
            DIAG_LOG(L"DL_CODE_PROGRESS\r\n");
            break;
        case DL_CODE_SUCCESS:
            DIAG_LOG(L"DOWNLOAD_SUCCESS\r\n");
            packageInstaller_->Start();
            DIAG_LOG(L"DL_CODE_SUCCESS\r\n");
            break;
        case DL_CODE_FAIL:
            DIAG_LOG(L"DL_CODE_FAIL\r\n");
            DeletePackage();
            break;
        case DL_CODE_RETRY:
            DIAG_LOG(L"DL_CODE_RETRY\r\n");
            downloader_->Start();
            break;
        default:
            break;
    }
}

void CDownloadInstaller::OnUninstall(std::int32_t code, double value, const wchar_t* text) {
    windowCallback_(code, value, text);
    switch (code) {
        case UNIST_CODE_START:
            DIAG_LOG(L"UNIST_CODE_START\r\n");
            break;
        case UNIST_CODE_PROGRESS:
            DIAG_LOG(L"UNIST_CODE_PROGRESS\r\n");
            break;
        case UNIST_CODE_SUCCESS:
            DIAG_LOG(L"UNIST_CODE_SUCCESS\r\n");
            if (packageInstaller_) downloader_->Start();
            break;
        case UNIST_CODE_FAIL:
            DIAG_LOG(L"UNIST_CODE_FAIL\r\n");
            break;
        case UNIST_CODE_ERROR:
            DIAG_LOG(L"UNIST_CODE_ERROR\r\n");
            break;
        default:
            break;
    }
}

void CDownloadInstaller::OnInstall(std::int32_t code, double value, const wchar_t* text) {
    windowCallback_(code, value, text);
    switch (code) {
        case IST_CODE_START:
            DIAG_LOG(L"IST_CODE_START\r\n");
            break;
        case IST_CODE_PROGRESS:
            DIAG_LOG(L"DL_CODE_SUCCESS\r\n");  // the log has always called this line so
            break;
        case IST_CODE_SUCCESS:
            DIAG_LOG(L"INSTALL_SUCCESS\r\n");
            DeletePackage();
            break;
        case IST_CODE_FAIL:
            DIAG_LOG(L"IST_CODE_FAIL\r\n");
            DeletePackage();
            break;
        default:
            break;
    }
}

void CDownloadInstaller::DeletePackage() {
    std::lock_guard<std::mutex> lock(g_lastPackageMutex);
    (void)platform::RemoveFile(packagePath_);  // absent is fine
    if (!g_lastPackagePath.empty()) (void)platform::RemoveFile(g_lastPackagePath);
    g_lastPackagePath = packagePath_;
}

}  // namespace installer
