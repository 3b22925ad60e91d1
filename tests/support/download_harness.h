#pragma once
// Drives a downloader as its owner does and records its reports.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "download/downloader.h"

namespace testing_support {

struct Report {
    int code;
    double value;
    std::wstring text;
};

class DownloadHarness {
public:
    // type as DownloadType; the owner's answers: Start() again inside DL_CODE_RETRY (after
    // `beforeRetry`, when given), and deleting the package path on DL_CODE_FAIL.
    DownloadHarness(int type, const std::string& url, std::wstring path);
    ~DownloadHarness();

    void Start();
    // Waits for the next terminal report (1003 or 1004); false on time-out.
    bool WaitForEnd(std::chrono::seconds limit = std::chrono::seconds(60));
    // Destroys the downloader now (reports after this are a fault).
    void Destroy();

    std::vector<Report> Reports();
    // The codes in order, progress reports folded into one 1002 per run of them.
    std::vector<int> Codes();

    std::function<void()> beforeRetry;
    const std::wstring path;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Report> reports_;
    int ends_ = 0;
    int waited_ = 0;
    bool destroyed_ = false;
    std::unique_ptr<download::CDownloader> downloader_;
};

}  // namespace testing_support
