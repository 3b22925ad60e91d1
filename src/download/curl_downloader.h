#pragma once
// The default downloader: one connection through CurlClient, failed attempts repeated within a
// budget, the finished package checked against the digest in the real address.
#include <string>

#include "download/curl_client.h"
#include "download/downloader.h"
#include "download/run_thread.h"
#include "download/stop_signal.h"

namespace download {

class CCurlDownloader : public CDownloader {
public:
    static constexpr int kAttemptBudget = 12;  // a result of 18 (partial file) costs 1, others 2
    static constexpr int kRetryPauseMs = 500;

    // Deletes a part file left by an earlier downloader, so every downloader starts without one.
    CCurlDownloader(Utils::StatusCallback listener, std::wstring url, std::wstring filePath);
    // Stops a transfer in progress, waits for the run thread, deletes the part file.
    ~CCurlDownloader() override;

    void Start() override;

private:
    static std::uint32_t dlThreadFun(void* self);
    static void progressRelay(void* owner, double speed, double reserved, double percent);
    void Report(std::int32_t code, double value, const wchar_t* text) const { listener_(code, value, text); }

    const Utils::StatusCallback listener_;
    const std::wstring filePath_;
    const std::wstring url_;
    CurlClient client_;
    StopSignal stop_;
    bool retryAsked_ = false;  // never cleared: at most one re-run for a digest mismatch
    RunThread runThread_;      // last member: joined before the rest is destroyed
};

}  // namespace download
