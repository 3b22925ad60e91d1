// The installation driver's commands: the package runner, the uninstaller runner, and the whole
// orchestrated installation. Each prints every report as it arrives.
#include <condition_variable>
#include <mutex>

#include "commands.h"
#include "installer/download_installer.h"
#include "installer/package_installer.h"
#include "installer/uninstaller.h"
#include "platform/console.h"
#include "report_format.h"
#include "utils/system_checks.h"

namespace cli {
namespace {

// Waits for a final report; the exit code is 0 when it is `success`.
class FinalReport {
public:
    void Report(std::int32_t code, double value, const wchar_t* text, bool final, bool success) {
        (void)platform::WriteStdout(ReportLine(code, value, text));  // nowhere to report a lost line
        if (!final) return;
        std::lock_guard<std::mutex> lock(mutex_);
        exitCode_ = success ? 0 : 1;
        ended_.notify_all();
    }
    int Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        ended_.wait(lock, [this] { return exitCode_ >= 0; });
        return exitCode_;
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    int exitCode_ = -1;
};

// "--name value" options after the positional arguments.
struct Options {
    std::vector<std::wstring> positional;
    std::wstring Get(const std::wstring& name, const std::wstring& fallback) const {
        for (size_t i = 0; i + 1 < named.size(); i += 2) {
            if (named[i] == name) return named[i + 1];
        }
        return fallback;
    }
    std::vector<std::wstring> named;
};

Options Parse(const std::vector<std::wstring>& args) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind(L"--", 0) == 0 && i + 1 < args.size()) {
            o.named.push_back(args[i]);
            o.named.push_back(args[++i]);
        } else {
            o.positional.push_back(args[i]);
        }
    }
    return o;
}

bool IsTrue(const std::wstring& value) { return value == L"true"; }

bool IsInstallFinal(std::int32_t code) { return code == IST_CODE_SUCCESS || code == IST_CODE_FAIL; }

}  // namespace

int RunPackageCommand(const std::vector<std::wstring>& args) {
    const Options o = Parse(args);
    if (o.positional.size() != 1) {
        return Usage("run-package PATH [--dir D] [--dsc B] [--ssc B] [--adminact B] [--authorizationact B]");
    }
    FinalReport final;
    installer::PackageInstaller runner(
        [&](std::int32_t code, double value, const wchar_t* text) {
            final.Report(code, value, text, IsInstallFinal(code), code == IST_CODE_SUCCESS);
        },
        L"\"" + o.positional[0] + L"\"", o.Get(L"--dir", L""));
    runner.dsc = IsTrue(o.Get(L"--dsc", L"false"));
    runner.ssc = IsTrue(o.Get(L"--ssc", L"false"));
    runner.adminact = IsTrue(o.Get(L"--adminact", L"false"));
    runner.authorizationact = IsTrue(o.Get(L"--authorizationact", L"true"));
    runner.Start();
    return final.Wait();
}

int RunUninstallerCommand(const std::vector<std::wstring>& args) {
    const Options o = Parse(args);
    if (o.positional.size() != 2) return Usage("run-uninstaller PATH TARGETDIR");
    FinalReport final;
    installer::UnInstaller runner(
        [&](std::int32_t code, double value, const wchar_t* text) {
            const bool isFinal = code == UNIST_CODE_SUCCESS || code == UNIST_CODE_FAIL || code == UNIST_CODE_ERROR;
            final.Report(code, value, text, isFinal, code == UNIST_CODE_SUCCESS);
        },
        o.positional[0], o.positional[1]);
    runner.Start();
    const int code = final.Wait();
    return code;  // the runner's destructor waits for the uninstaller to end
}

int InstallCommand(const std::vector<std::wstring>& args) {
    const Options o = Parse(args);
    if (o.positional.size() != 2) return Usage("install URL DIR [--uninstaller PATH] [--dsc B] [--ssc B]");
    FinalReport final;
    installer::CDownloadInstaller orchestrator(
        [&](std::int32_t code, double value, const wchar_t* text) {
            // The installation ends at the package's final report, a download failure, or an
            // uninstaller that failed (the download never starts then).
            const bool isFinal = IsInstallFinal(code) || code == DL_CODE_FAIL || code == UNIST_CODE_FAIL ||
                                 code == UNIST_CODE_ERROR;
            final.Report(code, value, text, isFinal, code == IST_CODE_SUCCESS);
        },
        L"", L"", L"", true, true, true);
    orchestrator.SetInstallParams(o.positional[0], o.Get(L"--uninstaller", L""), o.positional[1],
                                  IsTrue(o.Get(L"--dsc", L"true")), IsTrue(o.Get(L"--ssc", L"true")),
                                  Utils::IsConsoleUserAdmin(), Utils::IsProcessElevatedAdmin());
    orchestrator.Start();
    return final.Wait();
}

}  // namespace cli
