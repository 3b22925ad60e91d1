#include "download/curl_downloader.h"

#include "diag/diag_log.h"
#include "download/url_digest.h"
#include "platform/file_ops.h"

namespace download {

CCurlDownloader::CCurlDownloader(Utils::StatusCallback listener, std::wstring url, std::wstring filePath)
    : listener_(std::move(listener)),
      filePath_(std::move(filePath)),
      url_(std::move(url)),
      client_(url_, filePath_, this, &CCurlDownloader::progressRelay) {
    (void)platform::RemoveFile(client_.GetFilePath(true));  // usually there is none
}

CCurlDownloader::~CCurlDownloader() {
    stop_.Request();
    client_.RequestStop();
    runThread_.Join();
}

void CCurlDownloader::Start() { runThread_.Restart(this, &CCurlDownloader::dlThreadFun); }

void CCurlDownloader::progressRelay(void* owner, double speed, double, double percent) {
    if (speed > 0.0 && percent <= 100.0) static_cast<CCurlDownloader*>(owner)->Report(DL_CODE_PROGRESS, percent / 100.0, L"");
}

std::uint32_t CCurlDownloader::dlThreadFun(void* param) {
    auto* self = static_cast<CCurlDownloader*>(param);
    self->Report(DL_CODE_START, 1.0, L"");
    int result = self->client_.Start();
    int budget = kAttemptBudget;
    while (result != 0) {
        if (self->stop_.Requested()) return 0;  // exit point: destroyed; the owner no longer listens
        budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
        if (budget <= 0) {
            self->Report(DL_CODE_FAIL, result, L"LibCurl");
            return 0;  // exit point: out of attempts
        }
        DIAG_LOG(L"CurlDownLoader Code=%d", result);
        if (self->stop_.WaitFor(ScaledPause(kRetryPauseMs))) return 0;  // exit point: destroyed
        result = self->client_.Start();
    }

    switch (CheckPackageIntegrity(GetUrlMd5(self->client_.RealUrl()), self->filePath_)) {
        case IntegrityVerdict::NoDigest:
            self->Report(DL_CODE_MD5_DETAIL, 0.0, L"curl获取url-md5失败");
            break;
        case IntegrityVerdict::Mismatch:
            self->Report(DL_CODE_MD5_DETAIL, 0.0, L"curl文件md5校验失败");
            if (self->retryAsked_) {
                self->Report(DL_CODE_FAIL, 0.0, L"LibCurl");
            } else {
                self->retryAsked_ = true;
                // The owner calls Start() from inside this report; this run does nothing after it.
                self->Report(DL_CODE_RETRY, 0.0, L"LibCurl");
            }
            return 0;  // exit point: a re-run was asked for, or the download failed for good
        case IntegrityVerdict::Good:
            break;
    }
    self->Report(DL_CODE_SUCCESS, 0.0, L"LibCurl");
    return 0;  // exit point: the package is complete
}

}  // namespace download
