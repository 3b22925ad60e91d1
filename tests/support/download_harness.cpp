#include "support/download_harness.h"

#include <gtest/gtest.h>

#include "platform/file_ops.h"
#include "platform/text.h"
#include "utils/status.h"

namespace testing_support {

DownloadHarness::DownloadHarness(int type, const std::string& url, std::wstring packagePath)
    : path(std::move(packagePath)) {
    auto listener = [this](std::int32_t code, double value, const wchar_t* text) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            EXPECT_FALSE(destroyed_) << "report " << code << " after the downloader was destroyed";
            reports_.push_back({code, value, text});
        }
        if (code == DL_CODE_RETRY) {
            if (beforeRetry) beforeRetry();
            downloader_->Start();
        }
        if (code == DL_CODE_FAIL) (void)platform::RemoveFile(path);
        if (code == DL_CODE_FAIL || code == DL_CODE_SUCCESS) {
            std::lock_guard<std::mutex> lock(mutex_);
            ++ends_;
            changed_.notify_all();
        }
    };
    downloader_ = download::CreateDownloader(type, listener, platform::Utf8ToWide(url), path);
}

DownloadHarness::~DownloadHarness() { Destroy(); }

void DownloadHarness::Start() { downloader_->Start(); }

bool DownloadHarness::WaitForEnd(std::chrono::seconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool ended = changed_.wait_for(lock, limit, [this] { return ends_ > waited_; });
    if (ended) ++waited_;
    return ended;
}

void DownloadHarness::Destroy() {
    downloader_.reset();
    std::lock_guard<std::mutex> lock(mutex_);
    destroyed_ = true;
}

std::vector<Report> DownloadHarness::Reports() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reports_;
}

std::vector<int> DownloadHarness::Codes() {
    std::vector<int> codes;
    for (const Report& r : Reports()) {
        if (r.code == DL_CODE_PROGRESS && !codes.empty() && codes.back() == DL_CODE_PROGRESS) continue;
        codes.push_back(r.code);
    }
    return codes;
}

}  // namespace testing_support
