#pragma once
// DownloadType 3: the package in up to two byte ranges fetched in parallel into part files
// "<package path>_0" and "_1", joined, and checked against the digest in the real address.
// A failed part or digest asks the owner for one re-run, which resumes the part files.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "download/curl_handle.h"
#include "download/downloader.h"
#include "download/run_thread.h"
#include "download/stop_signal.h"
#include "download/thread_group.h"
#include "platform/file_ops.h"

namespace download {

class CMTCurlDownloader : public CDownloader {
public:
    static constexpr std::int64_t kRangeUnit = 10485760;
    static constexpr int kMostParts = 2;
    static constexpr std::int64_t kShortestPackage = 256;
    static constexpr int kPartStartPauseMs = 100;
    static constexpr int kFinishPollMs = 200;
    static constexpr int kPartRetryPauseMs = 400;
    static constexpr int kAttemptBudget = 12;  // a result of 18 (partial file) costs 1, others 2

    struct DownloadPartNode {
        platform::UniqueFile partFile;
        // 64-bit offsets: packages of 2 GiB and more split, resume and join correctly.
        std::int64_t nextOffset = 0;
        std::int64_t lastOffset = 0;  // inclusive
        UniqueCurl curl;
        std::string url;
        std::wstring partPath;
        int status = -1;  // 0 complete, -1 to fetch, -2 part file not opened, else last libcurl result
        std::atomic<std::int64_t> bytesDone{0};
    };

    // One range of the split: the package offsets [start, start + size).
    struct Range {
        std::int64_t start;
        std::int64_t size;
    };
    static std::vector<Range> Split(std::int64_t fileLength);

    // Deletes the package file and both part files left by an earlier attempt.
    CMTCurlDownloader(Utils::StatusCallback listener, std::wstring url, std::wstring filePath);
    // Stops the transfers, waits for every thread of the run.
    ~CMTCurlDownloader() override;

    void Start() override;

    std::wstring partFilePath(int index) const { return filePath_ + L"_" + std::to_wstring(index); }

private:
    static std::uint32_t Start_Down(void* self);
    bool getRealDownloadUrl(const std::string& address);
    void downloadThreadFun(DownloadPartNode* part);
    int downloadExe(DownloadPartNode* part);
    static size_t writeCallback(char* data, size_t size, size_t count, void* part);
    static int progressCallback(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static int stopCallback(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    void waitForFinishThreadFun();
    void JoinParts(size_t count);
    void deletePartFiles();
    void clearParts();
    double LastPercent();
    void SetLastPercent(double percent);
    void Report(std::int32_t code, double value, const wchar_t* text) const { listener_(code, value, text); }

    const Utils::StatusCallback listener_;
    const std::wstring filePath_;
    const std::wstring url_;
    std::vector<std::unique_ptr<DownloadPartNode>> parts_;
    std::string realUrl_;
    std::int64_t fileLength_ = -1;
    std::string expectedMd5_;
    std::atomic<int> runningParts_{0};
    std::mutex gateLock_;  // lastProgressSecond_ and lastPercent_
    std::int64_t lastProgressSecond_ = 0;
    double lastPercent_ = 0.0;
    bool retryAsked_ = false;  // never cleared; shared by part and digest failures
    StopSignal stop_;
    // Destroyed first, so no thread of a run outlives the state above.
    ThreadGroup workers_;
    RunThread runThread_;
};

}  // namespace download
