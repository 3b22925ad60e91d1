#include "download/win_downloader.h"

#include "platform/network.h"
#include "platform/text.h"

namespace download {

bool CWinDownloader::CBindCallback::OnProgress(std::uint32_t progress, std::uint32_t progressMax) {
    if (aborted) return false;
    if (progressMax == 0) return true;
    listener(DL_CODE_PROGRESS, static_cast<double>(progress) / static_cast<double>(progressMax), L"");
    return true;
}

CWinDownloader::CWinDownloader(Utils::StatusCallback listener, std::wstring url, std::wstring filePath)
    : listener_(std::move(listener)), filePath_(std::move(filePath)), url_(std::move(url)) {}

CWinDownloader::~CWinDownloader() {
    bindCallback_.aborted = true;
    stop_.Request();
    runThread_.Join();
}

void CWinDownloader::Start() {
    // The thread of an earlier run has ended (or is ending its last report): no run is using the
    // listener copy while it is replaced... unless this is called from inside that report, which
    // the URL-moniker downloader never asks for (it sends no DL_CODE_RETRY).
    runThread_.Join();
    bindCallback_.listener = listener_;
    runThread_.Restart(this, &CWinDownloader::downloadThreadProc);
}

std::wstring CWinDownloader::EscapeUrl(const std::wstring& url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::wstring escaped;
    for (const char c : platform::WideToUtf8(url)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 33 && byte <= 126) {
            escaped.push_back(static_cast<wchar_t>(byte));
        } else if (byte == 32) {
            escaped.push_back(L'+');
        } else {
            escaped.push_back(L'%');
            escaped.push_back(static_cast<wchar_t>(kHex[byte >> 4]));
            escaped.push_back(static_cast<wchar_t>(kHex[byte & 0x0F]));
        }
    }
    return escaped;
}

std::uint32_t CWinDownloader::downloadThreadProc(void* param) {
    auto* self = static_cast<CWinDownloader*>(param);
    platform::ComApartment com;
    self->Report(DL_CODE_START, 1.0, L"");
    const std::wstring address = self->url_.rfind(L"file:///", 0) == 0 ? self->url_ : EscapeUrl(self->url_);
    std::int32_t result = platform::kUrlDownloadFailed;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        result = platform::UrlDownloadToFile(address, self->filePath_, self->bindCallback_);
        if (result == platform::kUrlDownloadOk) {
            self->Report(DL_CODE_SUCCESS, 0.0, L"URLDownloadToFile");
            return 0;  // exit point: the package is complete
        }
        if (self->stop_.WaitFor(ScaledPause(kRetryPauseMs))) return 0;  // exit point: destroyed
    }
    self->Report(DL_CODE_FAIL, result, L"URLDownloadToFile");
    return 0;  // exit point: three attempts failed
}

}  // namespace download
