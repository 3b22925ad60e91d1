#pragma once
// Fetches the package over HTTP(S) into "<package path>.part", resuming a part file left by an
// earlier attempt, and on success puts it in the package's place. Before the first transfer it
// asks for the real address after redirects and the package length, and refuses a package shorter
// than 1 MiB. Start() blocks for the whole attempt; it runs on the owning downloader's thread.
#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "download/curl_handle.h"

namespace download {

class CurlClient {
public:
    // Progress sink: (owner, speed in bytes per second, reserved 0.0, percent 0 to 100).
    using ProgressSink = void (*)(void* owner, double speed, double reserved, double percent);

    static constexpr std::int64_t kMinimumLength = 1048576;
    static constexpr int kLengthRefused = -998;
    static constexpr int kNoHandle = -997;
    static constexpr int kPartFileNotOpened = -996;

    CurlClient(std::wstring url, std::wstring filePath, void* owner, ProgressSink sink);
    // Stops a transfer in progress at its next progress call and deletes the part file.
    ~CurlClient();
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    std::wstring GetFilePath(bool part) const { return part ? filePath_ + L".part" : filePath_; }

    // One download attempt: 0, a libcurl result code, or one of the negative codes above.
    int Start();
    // Makes the current and every later transfer or query end at its next progress call.
    void RequestStop() { stopRequested_ = true; }

    UniqueCurl Head(const std::string& address);
    static std::string GetRealUrl(CURL* handle);
    static double GetDownloadFileLength(CURL* handle);
    double GetDownloadFileLength_Str(const std::string& address);
    std::string GetRealUrl_Str(const std::string& address);

    // Kept between attempts, so later attempts send no queries.
    std::string RealUrl() const { return realUrl_; }
    std::int64_t FileLength() const { return fileLength_; }

private:
    static int ProgressCallback(void* client, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                                curl_off_t ulnow);
    static int QueryProgress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    void SetQueryOptions(CURL* handle, const std::string& address, CURLcode& combined);
    void ResolveAddressAndLength(const std::string& address);
    int Transfer();

    const std::wstring url_;
    const std::wstring filePath_;
    void* const owner_;
    const ProgressSink progressSink_;

    CURL* curl_ = nullptr;  // the handle of the transfer running now, owned by Transfer()
    // 64-bit throughout: packages of 2 GiB and more download and resume correctly.
    std::int64_t fileLength_ = -1;
    std::int64_t resumeFrom_ = -1;
    std::int64_t lastProgressSecond_ = 0;
    std::atomic<bool> stopRequested_{false};
    std::string realUrl_;
};

}  // namespace download
