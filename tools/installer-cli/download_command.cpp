#include <condition_variable>
#include <mutex>

#include "commands.h"
#include "download/downloader.h"
#include "platform/console.h"
#include "platform/file_ops.h"
#include "report_format.h"

namespace cli {

// Drives a downloader the way the orchestrator does: starts it, answers DL_CODE_RETRY by starting
// again from inside the report and DL_CODE_FAIL by deleting the package path, and prints every
// report as it arrives. Exit code 0 after DL_CODE_SUCCESS, 1 after DL_CODE_FAIL.
int DownloadCommand(const std::vector<std::wstring>& args) {
    int type = 1;
    std::vector<std::wstring> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--type" && i + 1 < args.size()) {
            type = std::stoi(args[++i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) return Usage("download [--type N] URL PATH");
    const std::wstring& path = positional[1];

    std::mutex mutex;
    std::condition_variable ended;
    int exitCode = -1;
    download::CDownloader* downloader = nullptr;
    auto listener = [&](std::int32_t code, double value, const wchar_t* text) {
        (void)platform::WriteStdout(ReportLine(code, value, text));  // nowhere to report a lost line
        if (code == DL_CODE_RETRY) {
            downloader->Start();
        } else if (code == DL_CODE_FAIL || code == DL_CODE_SUCCESS) {
            if (code == DL_CODE_FAIL) (void)platform::RemoveFile(path);  // absent is fine
            std::lock_guard<std::mutex> lock(mutex);
            exitCode = code == DL_CODE_SUCCESS ? 0 : 1;
            ended.notify_all();
        }
    };
    std::unique_ptr<download::CDownloader> owned = download::CreateDownloader(type, listener, positional[0], path);
    downloader = owned.get();
    downloader->Start();
    std::unique_lock<std::mutex> lock(mutex);
    ended.wait(lock, [&] { return exitCode >= 0; });
    lock.unlock();
    owned.reset();
    return exitCode;
}

}  // namespace cli
