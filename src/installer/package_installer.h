#pragma once
// Runs the downloaded package silently as a child process and turns the report lines it writes to
// its standard output into install-stage reports.
#include <cstdint>
#include <memory>
#include <string>

#include "diag/thread.h"
#include "installer/line_protocol.h"
#include "utils/status.h"

namespace installer {

class PackageInstaller {
public:
    // The command line may be at most this long; a longer one is not started.
    static constexpr std::size_t kMaxCommandLine = 1023;

    // `packagePath` comes wrapped in double quotes.
    PackageInstaller(Utils::StatusCallback callback, std::wstring packagePath, std::wstring installDir);
    // Waits without limit for a run in progress: a started package is never cut off.
    ~PackageInstaller();
    PackageInstaller(const PackageInstaller&) = delete;
    PackageInstaller& operator=(const PackageInstaller&) = delete;

    // Waits for an earlier run, builds the command line and starts a run on a new thread.
    void Start();
    // Waits without limit for the current run, including what its last report set off, to end.
    void Wait() { thread_.reset(); }
    std::wstring BuildCommandLine() const;

    // Written by the orchestrator before every Start().
    std::wstring installDir;
    bool ssc = false;
    bool dsc = false;
    bool adminact = false;
    bool authorizationact = true;

    // Read by the run only; kept between runs.
    PackageLineState lineState;

private:
    static std::uint32_t Run(void* self);

    const Utils::StatusCallback callback_;
    const std::wstring packagePath_;
    std::wstring commandLine_;
    std::unique_ptr<Utils::Thread> thread_;
};

}  // namespace installer
