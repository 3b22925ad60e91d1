#include "download/mt_curl_downloader.h"

#include <cstdio>
#include <ctime>

#include "config/installer_config.h"
#include "diag/diag_log.h"
#include "download/url_digest.h"
#include "platform/text.h"

namespace download {
namespace {


// Joining copies whole blocks; the size only affects speed.
constexpr size_t kCopyBlock = 64 * 1024;

}  // namespace

std::vector<CMTCurlDownloader::Range> CMTCurlDownloader::Split(std::int64_t fileLength) {
    std::int64_t count = fileLength / kRangeUnit;
    if (count == 0) count = 1;
    if (count > kMostParts) count = kMostParts;
    const std::int64_t size = fileLength / count;
    std::vector<Range> ranges;
    for (std::int64_t i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        ranges.push_back({i * size, last ? size + fileLength % count : size});
    }
    return ranges;
}

CMTCurlDownloader::CMTCurlDownloader(Utils::StatusCallback listener, std::wstring url, std::wstring filePath)
    : listener_(std::move(listener)), filePath_(std::move(filePath)), url_(std::move(url)) {
    (void)platform::RemoveFile(filePath_);  // usually there is none
    deletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader() {
    stop_.Request();
    runThread_.Join();  // the run thread may still be starting part threads
    workers_.JoinAll();
    clearParts();
}

void CMTCurlDownloader::Start() { runThread_.Restart(this, &CMTCurlDownloader::Start_Down); }

double CMTCurlDownloader::LastPercent() {
    std::lock_guard<std::mutex> lock(gateLock_);
    return lastPercent_;
}

void CMTCurlDownloader::SetLastPercent(double percent) {
    std::lock_guard<std::mutex> lock(gateLock_);
    lastPercent_ = percent;
}

void CMTCurlDownloader::deletePartFiles() {
    for (int i = 0; i < kMostParts; ++i) (void)platform::RemoveFile(partFilePath(i));  // absent is fine
}

void CMTCurlDownloader::clearParts() { parts_.clear(); }

std::uint32_t CMTCurlDownloader::Start_Down(void* param) {
    auto* self = static_cast<CMTCurlDownloader*>(param);
    // The previous run's threads have all made their last report; collect them.
    self->workers_.JoinAll();
    self->Report(DL_CODE_START, 1.0, L"");
    DIAG_LOG(L"start download");
    const std::string address = NarrowUrl(self->url_);
    (void)platform::RemoveFile(self->filePath_);
    if (self->LastPercent() == 0.0) self->deletePartFiles();

    if (self->realUrl_.empty() || self->fileLength_ < kShortestPackage) {
        if (!self->getRealDownloadUrl(address)) {
            self->Report(DL_CODE_FAIL, 0.0, L"LibCurl");
            return 0;  // exit point: no address or length
        }
    }

    int index = 0;
    for (const Range& range : Split(self->fileLength_)) {
        auto part = std::make_unique<DownloadPartNode>();
        part->partPath = self->partFilePath(index++);
        const std::int64_t existing = std::max<std::int64_t>(0, platform::FileSize(part->partPath).value_or(0));
        part->bytesDone = existing;
        part->nextOffset = range.start + existing;
        part->lastOffset = range.start + range.size - 1;
        part->curl.reset(curl_easy_init());
        part->url = self->realUrl_;
        if (part->nextOffset > part->lastOffset) {
            part->status = 0;  // complete from an earlier run
        } else {
            part->status = -1;
            part->partFile = platform::OpenForAppend(part->partPath);
            if (!part->partFile) part->status = -2;
        }
        self->parts_.push_back(std::move(part));
    }

    for (const auto& part : self->parts_) {
        if (part->status != -1) continue;
        ++self->runningParts_;
        DownloadPartNode* node = part.get();
        self->workers_.Spawn([self, node] { self->downloadThreadFun(node); });
        if (self->stop_.WaitFor(ScaledPause(kPartStartPauseMs))) break;
    }
    self->workers_.Spawn([self] { self->waitForFinishThreadFun(); });
    return 0;  // exit point: the part threads and the finishing thread carry on
}

bool CMTCurlDownloader::getRealDownloadUrl(const std::string& address) {
    realUrl_.clear();
    expectedMd5_.clear();
    fileLength_ = 0;
    if (!config::TheInstallerConfig().CurlAvailable) return false;
    UniqueCurl handle(curl_easy_init());
    if (!handle) return false;
    CURL* h = handle.get();
    UniqueSlist headers(curl_slist_append(nullptr, "Connection: keep-alive"));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    // The server's certificate and host name are verified like every other transfer: the
    // installer runs as administrator and executes what it downloads.
    const int combined = curl_easy_setopt(h, CURLOPT_URL, address.c_str()) |
                         curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L) | curl_easy_setopt(h, CURLOPT_NOBODY, 1L) |
                         curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &DiscardData) |
                         curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L) |
                         curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L) |
                         curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::stopCallback) |
                         curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    if (combined != 0) return false;
    if (curl_easy_perform(h) != CURLE_OK) return false;

    char* effective = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective && *effective) {
        realUrl_ = effective;
        DIAG_LOG(L"Download File real url %ls", platform::Utf8ToWide(realUrl_).c_str());
        expectedMd5_ = GetUrlMd5(realUrl_);
    }
    curl_off_t length = -1;
    long status = 0;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 && status <= 399) {
        fileLength_ = static_cast<std::int64_t>(length);
        DIAG_LOG(L"Download File Length %lld", static_cast<long long>(fileLength_));
    }
    return !realUrl_.empty() && fileLength_ >= kShortestPackage;
}

void CMTCurlDownloader::downloadThreadFun(DownloadPartNode* part) {
    int budget = kAttemptBudget;
    int result = downloadExe(part);
    while (result != 0 && !stop_.Requested()) {
        if (budget <= 0) break;
        budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
        DIAG_LOG(L"CurlDownLoader Code=%d", result);
        if (stop_.WaitFor(ScaledPause(kPartRetryPauseMs))) break;
        result = downloadExe(part);
    }
    part->partFile.reset();
    --runningParts_;  // exit point: the finishing thread collects the part's status
}

int CMTCurlDownloader::downloadExe(DownloadPartNode* part) {
    // Every byte of the range is stored (an attempt that ended in a write error because the server
    // sent more than the range): the part is complete, and asking for an empty range would only
    // fail. The digest check still judges the package.
    if (part->nextOffset > part->lastOffset) {
        part->partFile.reset();
        part->status = 0;
        return 0;
    }
    char range[64];
    std::snprintf(range, sizeof(range), "%lld-%lld", static_cast<long long>(part->nextOffset),
                  static_cast<long long>(part->lastOffset));
    CURL* h = part->curl.get();
    if (!h) {
        part->status = CURLE_FAILED_INIT;
        return part->status;
    }
    const int combined = curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L) | curl_easy_setopt(h, CURLOPT_URL, part->url.c_str()) |
                         curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L) | curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L) |
                         curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CMTCurlDownloader::writeCallback) |
                         curl_easy_setopt(h, CURLOPT_WRITEDATA, part) | curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L) |
                         curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::progressCallback) |
                         curl_easy_setopt(h, CURLOPT_XFERINFODATA, this) | curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L) |
                         curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L) |
                         curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L) |
                         curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 5L) | curl_easy_setopt(h, CURLOPT_RANGE, range);
    if (combined != 0) return combined;
    int result = curl_easy_perform(h);
    // Bytes still buffered in the stream belong to the part file before it counts as complete.
    if (part->partFile && std::fflush(part->partFile.get()) != 0 && result == CURLE_OK) result = CURLE_WRITE_ERROR;
    if (result != CURLE_OK) {
        DIAG_LOG(L"error:%d:%ls", result, DescribeCurlResult(result).c_str());
    } else {
        DIAG_LOG(L"curl_easy_cleanup");
    }
    curl_easy_reset(h);  // keeps the connection for the next attempt
    if (result == CURLE_OK) part->partFile.reset();
    part->status = result;
    return result;
}

size_t CMTCurlDownloader::writeCallback(char* data, size_t size, size_t count, void* param) {
    auto* part = static_cast<DownloadPartNode*>(param);
    const std::int64_t n = static_cast<std::int64_t>(size * count);
    if (!part->partFile || part->nextOffset > part->lastOffset) return 0;
    // A server sending more than the range asked for: keep only the range's bytes, and the short
    // count ends the transfer with libcurl's write error.
    const std::int64_t room = part->lastOffset - part->nextOffset + 1;
    const std::int64_t take = n > room ? room : n;
    const size_t written = std::fwrite(data, 1, static_cast<size_t>(take), part->partFile.get());
    part->nextOffset += static_cast<std::int64_t>(written);
    part->bytesDone += static_cast<std::int64_t>(written);
    return written;
}

int CMTCurlDownloader::stopCallback(void* param, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CMTCurlDownloader*>(param)->stop_.Requested() ? 1 : 0;
}

int CMTCurlDownloader::progressCallback(void* param, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* self = static_cast<CMTCurlDownloader*>(param);
    if (self->stop_.Requested()) return 1;  // the downloader is being destroyed: abort
    double value = 0.0;
    {
        std::lock_guard<std::mutex> lock(self->gateLock_);
        const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
        if (now < self->lastProgressSecond_ + 1) return 0;
        self->lastProgressSecond_ = now;
        double percent = 0.0;
        if (self->fileLength_ >= kShortestPackage) {
            for (const auto& part : self->parts_) {
                const std::int64_t done = part->bytesDone;
                if (done > 0) percent += static_cast<double>(done) * 100.0 / static_cast<double>(self->fileLength_);
            }
        }
        if (!self->parts_.empty() && percent > 100.0) return 0;
        if (percent - self->lastPercent_ < 1.0) return 0;
        self->lastPercent_ = percent;
        value = percent / 100.0;
    }
    // No lock is held while reporting; reports are at least a second apart, so they never cross.
    self->Report(DL_CODE_PROGRESS, value, L"");
    return 0;
}

void CMTCurlDownloader::JoinParts(size_t count) {
    platform::UniqueFile first = platform::OpenForAppend(partFilePath(0));
    if (first) {
        std::vector<char> block(kCopyBlock);
        for (size_t i = 1; i < count; ++i) {
            if (platform::UniqueFile next = platform::OpenForRead(partFilePath(static_cast<int>(i)))) {
                size_t n;
                while ((n = std::fread(block.data(), 1, block.size(), next.get())) > 0) {
                    (void)std::fwrite(block.data(), 1, n, first.get());  // the digest check finds a short file
                }
            }
            DIAG_LOG(L"partPath::%ls", partFilePath(static_cast<int>(i)).c_str());
        }
    }
    first.reset();
    (void)platform::MoveFileReplacing(partFilePath(0), filePath_);  // the digest check finds a missing file
    deletePartFiles();
}

void CMTCurlDownloader::waitForFinishThreadFun() {
    while (runningParts_ > 0) {
        if (stop_.WaitFor(ScaledPause(kFinishPollMs))) return;  // exit point: destroyed
    }
    if (stop_.Requested()) return;  // exit point: destroyed; the owner no longer listens
    int firstStatus = 0;
    for (const auto& part : parts_) {
        if (part->status != 0) {
            firstStatus = part->status;
            break;
        }
    }

    if (firstStatus == 0) {
        SetLastPercent(0.0);
        const size_t count = parts_.size();
        clearParts();  // every part file is closed by now
        JoinParts(count);
        switch (CheckPackageIntegrity(expectedMd5_, filePath_)) {
            case IntegrityVerdict::NoDigest:
                Report(DL_CODE_MD5_DETAIL, 0.0, L"mtcurl获取url-md5失败");
                break;
            case IntegrityVerdict::Mismatch:
                Report(DL_CODE_MD5_DETAIL, 0.0, L"mtcurl文件md5校验失败");
                (void)platform::RemoveFile(filePath_);
                if (retryAsked_) {
                    DIAG_LOG(L"finish recv, md5 chaek failed and retry failed.");
                    Report(DL_CODE_FAIL, 0.0, L"LibCurl");
                } else {
                    retryAsked_ = true;
                    DIAG_LOG(L"finish recv, md5 chaek failed retry once.");
                    Report(DL_CODE_RETRY, 0.0, L"LibCurl");
                }
                return;  // exit point: nothing of this run runs after the report
            case IntegrityVerdict::Good:
                break;
        }
        DIAG_LOG(L"finish recv");
        Report(DL_CODE_SUCCESS, 0.0, L"LibCurl");
        return;  // exit point: the package is complete
    }

    clearParts();
    if (LastPercent() == 0.0) deletePartFiles();
    if (retryAsked_) {
        SetLastPercent(0.0);
        Report(DL_CODE_FAIL, firstStatus, L"LibCurl");
    } else {
        retryAsked_ = true;
        Report(DL_CODE_RETRY, firstStatus, L"LibCurl");
    }
    // Exit point: after a retry report the owner's Start() has begun the next run.
}

}  // namespace download
