#pragma once
// Runs the old copy's uninstaller (a copy of it) silently and turns its report lines into
// uninstall-stage reports.
#include <cstdint>
#include <memory>
#include <string>

#include "diag/thread.h"
#include "utils/status.h"

namespace installer {

class UnInstaller {
public:
    static constexpr std::size_t kMaxCommandLine = 1023;

    UnInstaller(Utils::StatusCallback callback, std::wstring uninstallerPath, std::wstring targetDir);
    // Waits without limit for the run to end.
    ~UnInstaller();
    UnInstaller(const UnInstaller&) = delete;
    UnInstaller& operator=(const UnInstaller&) = delete;

    // Called once: builds the command line and starts the run on its own thread.
    void Start();
    std::wstring BuildCommandLine() const;

private:
    static std::uint32_t Run(void* self);

    const Utils::StatusCallback callback_;
    const std::wstring uninstallerPath_;
    const std::wstring targetDir_;
    std::wstring commandLine_;
    std::uint32_t codePage_ = 0;
    std::unique_ptr<Utils::Thread> thread_;
};

}  // namespace installer
