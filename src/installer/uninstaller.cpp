#include "installer/uninstaller.h"

#include "installer/child_run.h"
#include "installer/line_protocol.h"
#include "platform/paths.h"
#include "platform/piped_process.h"
#include "utils/system_checks.h"

namespace installer {

UnInstaller::UnInstaller(Utils::StatusCallback callback, std::wstring uninstallerPath, std::wstring targetDir)
    : callback_(std::move(callback)), uninstallerPath_(std::move(uninstallerPath)), targetDir_(std::move(targetDir)) {}

UnInstaller::~UnInstaller() { thread_.reset(); }

std::wstring UnInstaller::BuildCommandLine() const {
    // A path with blanks is quoted, or the system would try "C:\Documents.exe" and the like
    // first; "_?=" is always last and unquoted: everything after it is the directory.
    const bool blanks = uninstallerPath_.find_first_of(L" \t") != std::wstring::npos;
    const std::wstring program = blanks ? L"\"" + uninstallerPath_ + L"\"" : uninstallerPath_;
    return program + L" /S -adminact=" + (Utils::IsConsoleUserAdmin() ? L"true" : L"false") +
           L" -authorizationact=" + (Utils::IsProcessElevatedAdmin() ? L"true" : L"false") + L" -console=show _?=" +
           targetDir_;
}

void UnInstaller::Start() {
    commandLine_ = BuildCommandLine();
    thread_ = std::make_unique<Utils::Thread>(this, L"UnInstaller", &UnInstaller::Run);
    (void)thread_->Start();  // a thread that cannot be created reports nothing: nothing else to do
}

std::uint32_t UnInstaller::Run(void* param) {
    auto* self = static_cast<UnInstaller*>(param);
    const Utils::StatusCallback& report = self->callback_;
    if (!platform::PathExists(self->uninstallerPath_)) {
        report(UNIST_CODE_FAIL, 1.0, L"可执行卸载文件不存在");
        return 0;  // exit point: nothing to run
    }
    report(UNIST_CODE_PROGRESS, 0.0, L"");
    if (self->commandLine_.size() > kMaxCommandLine) {
        report(UNIST_CODE_FAIL, 2.0, L"");
        return 0;  // exit point: the command line does not fit
    }
    (void)platform::MakeExecutable(self->uninstallerPath_);  // a copy on POSIX may have lost the bits
    bool final = false;
    // Every line is reported, also after a final one, until the uninstaller ends.
    const ChildRunResult run = RunChild(
        self->commandLine_, [self] { return self->codePage_; },
        [&](const std::wstring& lines) { final = ParseUninstallerLines(lines, self->codePage_, report) != kParseNone || final; });
    if (!run.started) {
        report(UNIST_CODE_FAIL, 2.0, L"");
    } else if (!final) {
        if (run.exitCode == 0) {
            report(UNIST_CODE_SUCCESS, 1.0, L"");
        } else {
            report(UNIST_CODE_ERROR, static_cast<double>(run.exitCode), L"");
        }
    }
    return 0;  // exit point: the run has made its final report
}

}  // namespace installer
