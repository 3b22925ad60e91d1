#pragma once
// The contract the three downloaders share. A downloader is created with its report channel, the
// package address and the package path; Start() begins a run on the downloader's own thread and
// returns at once; every report of the run comes from the downloader's threads.
#include <memory>
#include <string>

#include "utils/status.h"

namespace download {

class CDownloader {
public:
    virtual ~CDownloader() = default;
    // Begins a transfer run. Safe to call from inside the run's own DL_CODE_RETRY report.
    virtual void Start() = 0;
};

// The downloader for a configured DownloadType: 2 the URL-moniker downloader, 3 the multi-part
// downloader, anything else the single-connection downloader.
std::unique_ptr<CDownloader> CreateDownloader(int downloadType, Utils::StatusCallback listener, const std::wstring& url,
                                              const std::wstring& filePath);

}  // namespace download
