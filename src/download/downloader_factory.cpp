#include "download/curl_downloader.h"
#include "download/downloader.h"
#include "download/mt_curl_downloader.h"
#include "download/win_downloader.h"

namespace download {

std::unique_ptr<CDownloader> CreateDownloader(int downloadType, Utils::StatusCallback listener, const std::wstring& url,
                                              const std::wstring& filePath) {
    switch (downloadType) {
        case 2:
            return std::make_unique<CWinDownloader>(std::move(listener), url, filePath);
        case 3:
            return std::make_unique<CMTCurlDownloader>(std::move(listener), url, filePath);
        default:
            return std::make_unique<CCurlDownloader>(std::move(listener), url, filePath);
    }
}

}  // namespace download
