#pragma once
// DownloadType 2: the whole transfer through the system's URL-moniker service, three attempts,
// no part file and no integrity check.
#include <atomic>
#include <mutex>
#include <string>

#include "download/downloader.h"
#include "download/run_thread.h"
#include "download/stop_signal.h"
#include "platform/url_download.h"

namespace download {

class CWinDownloader : public CDownloader {
public:
    static constexpr int kAttempts = 3;
    static constexpr int kRetryPauseMs = 1000;

    // Turns the service's progress notifications into DL_CODE_PROGRESS reports.
    class CBindCallback : public platform::UrlDownloadProgress {
    public:
        ~CBindCallback() override { aborted = true; }
        bool OnProgress(std::uint32_t progress, std::uint32_t progressMax) override;

        Utils::StatusCallback listener;  // given by Start() before the run begins
        std::atomic<bool> aborted{false};
    };

    CWinDownloader(Utils::StatusCallback listener, std::wstring url, std::wstring filePath);
    // Aborts a transfer in progress at its next notification and waits for the run thread.
    ~CWinDownloader() override;

    // Every call begins a run; a second call (the user's retry after DL_CODE_FAIL) makes a new run
    // with the same reports as the first.
    void Start() override;

    // Percent-escapes every byte of the UTF-8 address outside 33..126; a space becomes "+".
    static std::wstring EscapeUrl(const std::wstring& url);

private:
    static std::uint32_t downloadThreadProc(void* self);
    void Report(std::int32_t code, double value, const wchar_t* text) const { listener_(code, value, text); }

    const Utils::StatusCallback listener_;
    const std::wstring filePath_;
    const std::wstring url_;
    CBindCallback bindCallback_;
    StopSignal stop_;
    RunThread runThread_;  // last member: joined before the rest is destroyed
};

}  // namespace download
