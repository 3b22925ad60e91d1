#pragma once
// The system's URL-moniker download service (URLDownloadToFileW on Windows). On POSIX a small
// stand-in with the same contract: one whole transfer into the file, progress through the same
// callback, an HRESULT-style result.
#include <cstdint>
#include <string>

namespace platform {

class UrlDownloadProgress {
public:
    virtual ~UrlDownloadProgress() = default;
    // Called by the service as data arrives. False asks the service to abort the transfer.
    virtual bool OnProgress(std::uint32_t progress, std::uint32_t progressMax) = 0;
};

inline constexpr std::int32_t kUrlDownloadOk = 0;                                          // S_OK
inline constexpr std::int32_t kUrlDownloadAborted = static_cast<std::int32_t>(0x80004004u);  // E_ABORT
inline constexpr std::int32_t kUrlDownloadFailed = static_cast<std::int32_t>(0x800C0008u);   // INET_E_DOWNLOAD_FAILURE

// Downloads `url` into `path`. Needs the component object model initialised on the calling
// thread (ComApartment). Returns 0 or a failure HRESULT.
std::int32_t UrlDownloadToFile(const std::wstring& url, const std::wstring& path, UrlDownloadProgress& progress);

}  // namespace platform
