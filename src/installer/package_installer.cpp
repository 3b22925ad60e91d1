#include "installer/package_installer.h"

#include <vector>

#include "config/installer_config.h"
#include "installer/child_run.h"
#include "platform/piped_process.h"

namespace installer {
namespace {

const wchar_t* Bool(bool value) { return value ? L"true" : L"false"; }

std::wstring Unquoted(const std::wstring& path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') return path.substr(1, path.size() - 2);
    return path;
}

}  // namespace

PackageInstaller::PackageInstaller(Utils::StatusCallback callback, std::wstring packagePath, std::wstring dir)
    : installDir(std::move(dir)), callback_(std::move(callback)), packagePath_(std::move(packagePath)) {}

PackageInstaller::~PackageInstaller() { Wait(); }

std::wstring PackageInstaller::BuildCommandLine() const {
    std::wstring line = packagePath_ + L" /S -console=show -version=1.0.0";
    line += std::wstring(L" -adminact=") + Bool(adminact);
    line += std::wstring(L" -authorizationact=") + Bool(authorizationact);
    line += std::wstring(L" -dsc=") + Bool(dsc);
    line += std::wstring(L" -ssc=") + Bool(ssc);
    const std::wstring& extra = config::TheInstallerConfig().InstCmd;
    if (!extra.empty()) line += L" " + extra;
    // "/D=" is always the last switch: everything after it is the directory, blanks included.
    if (!installDir.empty()) line += L" -instdir=\"" + installDir + L"\" /D=" + installDir;
    return line;
}

void PackageInstaller::Start() {
    Wait();  // for the earlier run
    commandLine_ = BuildCommandLine();
    thread_ = std::make_unique<Utils::Thread>(this, L"ABDEF", &PackageInstaller::Run);
    (void)thread_->Start();  // a thread that cannot be created reports nothing: nothing else to do
}

std::uint32_t PackageInstaller::Run(void* param) {
    auto* self = static_cast<PackageInstaller*>(param);
    const Utils::StatusCallback& report = self->callback_;
    report(IST_CODE_START, 0.0, L"");
    report(IST_CODE_PROGRESS, 0.0, L"");
    if (self->commandLine_.size() > kMaxCommandLine) {
        report(IST_CODE_FAIL, 2.0, L"");
        return 0;  // exit point: the command line does not fit
    }
    // A package downloaded on POSIX arrives without the execute bits.
    (void)platform::MakeExecutable(Unquoted(self->packagePath_));

    // The final report waits until the package has ended: the orchestrator deletes the package
    // file on it, and Windows cannot delete the file of a program still running. Reports of the
    // lines after a final line in the same chunk still go out, ahead of it.
    struct Held {
        std::int32_t code;
        double value;
        std::wstring text;
    };
    std::vector<Held> finals;
    const Utils::StatusCallback holdFinals = [&](std::int32_t code, double value, const wchar_t* text) {
        if (code == IST_CODE_SUCCESS || code == IST_CODE_FAIL) {
            finals.push_back({code, value, text});
        } else {
            report(code, value, text);
        }
    };
    const ChildRunResult run = RunChild(
        self->commandLine_, [self] { return self->lineState.codePage; },
        [&](const std::wstring& lines) {
            // After its final line the package is still read to its end, so it can never block on
            // a full pipe, but nothing more is reported.
            if (finals.empty()) (void)ParsePackageLines(lines, self->lineState, holdFinals);
        });
    if (!run.started) {
        report(IST_CODE_FAIL, 2.0, L"");
    } else if (!finals.empty()) {
        for (const Held& f : finals) report(f.code, f.value, f.text.c_str());
    } else if (run.exitCode == 0) {
        // Ended without a final line: success when it exited with 0, else a failure carrying its
        // exit code (a crash is no success).
        report(IST_CODE_SUCCESS, 1.0, L"");
    } else {
        report(IST_CODE_FAIL, static_cast<double>(run.exitCode), L"");
    }
    return 0;  // exit point: the run has made its final report
}

}  // namespace installer
