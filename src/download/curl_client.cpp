#include "download/curl_client.h"

#include <cstdio>
#include <ctime>

#include "diag/diag_log.h"
#include "platform/file_ops.h"
#include "platform/text.h"
#include "utils/usage_report.h"

namespace download {
namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}


// The usage event of a failed length inquiry, with the status received (0 when none).
void ReportLengthFailure(long status) {
    wchar_t text[200];
    std::swprintf(text, 200, L"1.获取文件大小的状态码为=%ld；", status);
    Utils::ReportTaskEvent(L"下载失败原因", text);
}

}  // namespace

CurlClient::CurlClient(std::wstring url, std::wstring filePath, void* owner, ProgressSink sink)
    : url_(std::move(url)), filePath_(std::move(filePath)), owner_(owner), progressSink_(sink) {}

CurlClient::~CurlClient() {
    stopRequested_ = true;
    (void)platform::RemoveFile(GetFilePath(true));  // nothing there is the usual case
}

int CurlClient::Start() {
    DIAG_LOG(L"start download");
    ResolveAddressAndLength(NarrowUrl(url_));
    int result = (realUrl_.empty() || fileLength_ < kMinimumLength) ? kLengthRefused : Transfer();
    DIAG_LOG(L"error:%d:%ls", result, DescribeCurlResult(result).c_str());
    if (result == 0) {
        (void)platform::RemoveFile(GetFilePath(false));  // usually not there; replaced below anyway
        (void)platform::MoveFileReplacing(GetFilePath(true), GetFilePath(false));
    }
    DIAG_LOG(L"end download");
    return result;
}

void CurlClient::ResolveAddressAndLength(const std::string& address) {
    if (!realUrl_.empty() && fileLength_ >= kMinimumLength) return;  // known from an earlier attempt
    if (UniqueCurl head = Head(address)) {
        realUrl_ = GetRealUrl(head.get());
        fileLength_ = static_cast<std::int64_t>(GetDownloadFileLength(head.get()));
    }
    if (!realUrl_.empty() && fileLength_ >= kMinimumLength) return;
    realUrl_ = GetRealUrl_Str(address);
    if (!realUrl_.empty()) fileLength_ = static_cast<std::int64_t>(GetDownloadFileLength_Str(realUrl_));
}

int CurlClient::Transfer() {
    UniqueCurl handle(curl_easy_init());
    if (!handle) return kNoHandle;
    platform::UniqueFile part = platform::OpenForAppend(GetFilePath(true));
    if (!part) return kPartFileNotOpened;

    CURL* h = handle.get();
    UniqueSlist headers(curl_slist_append(nullptr, "Connection: keep-alive"));
    if (headers) headers.reset(curl_slist_append(headers.release(), "Accept-Encoding: gzip, deflate"));
    // The first five options' results are not looked at: a refused keep-alive is harmless.
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(h, CURLOPT_TCP_KEEPIDLE, 10L);
    curl_easy_setopt(h, CURLOPT_TCP_KEEPINTVL, 10L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    int combined = 0;
    combined |= curl_easy_setopt(h, CURLOPT_URL, realUrl_.c_str());
    combined |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    combined |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteToFile);
    combined |= curl_easy_setopt(h, CURLOPT_WRITEDATA, part.get());
    combined |= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    combined |= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProgressCallback);
    combined |= curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    combined |= curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    combined |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
    resumeFrom_ = platform::FileSize(GetFilePath(true)).value_or(-1);
    if (resumeFrom_ > 0) {
        // Ask for the rest only; the new bytes are appended.
        combined |= curl_easy_setopt(h, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeFrom_));
    }
    if (combined != 0) return combined;

    curl_ = h;
    int result = curl_easy_perform(h);
    curl_ = nullptr;
    // Bytes still in the stream buffer must reach the disk before the part file counts as whole.
    if (std::fflush(part.get()) != 0 && result == CURLE_OK) result = CURLE_WRITE_ERROR;
    return result;
}

void CurlClient::SetQueryOptions(CURL* h, const std::string& address, CURLcode& combined) {
    combined = static_cast<CURLcode>(
        curl_easy_setopt(h, CURLOPT_URL, address.c_str()) | curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L) |
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L) | curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &DiscardData) |
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L));
    // Queries end at once when the client is destroyed, instead of waiting out the connect limit.
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlClient::QueryProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
}

UniqueCurl CurlClient::Head(const std::string& address) {
    UniqueCurl handle(curl_easy_init());
    if (!handle) return handle;
    CURLcode outcome;
    SetQueryOptions(handle.get(), address, outcome);
    if (outcome == CURLE_OK) {
        outcome = curl_easy_perform(handle.get());
        if (outcome != CURLE_OK) DIAG_LOG(L"error:%d:%ls", outcome, DescribeCurlResult(outcome).c_str());
    }
    DIAG_LOG(L"error:%d:%ls", outcome, DescribeCurlResult(outcome).c_str());
    return handle;
}

std::string CurlClient::GetRealUrl(CURL* handle) {
    char* effective = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) != CURLE_OK || !effective) return {};
    return effective;
}

double CurlClient::GetDownloadFileLength(CURL* handle) {
    curl_off_t length = -1;
    const CURLcode lengthResult = curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    DIAG_LOG(L"error:%d:%ls", lengthResult, DescribeCurlResult(lengthResult).c_str());
    long status = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status >= 200 && status <= 399) {
        return lengthResult == CURLE_OK ? static_cast<double>(length) : -1.0;
    }
    ReportLengthFailure(status);
    return -1.0;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& address) {
    UniqueCurl handle(curl_easy_init());
    if (!handle) {
        DIAG_LOG(L"error:%d:%ls", 0, L"No error");
        return -1.0;
    }
    CURLcode combined;
    SetQueryOptions(handle.get(), address, combined);
    // Without redirects here: this is asked of the real address already.
    curl_easy_setopt(handle.get(), CURLOPT_FOLLOWLOCATION, 0L);
    combined = static_cast<CURLcode>(combined | curl_easy_setopt(handle.get(), CURLOPT_HEADER, 1L));
    if (combined != CURLE_OK) {
        DIAG_LOG(L"error:%d:%ls", combined, DescribeCurlResult(combined).c_str());
        return -1.0;
    }
    (void)curl_easy_perform(handle.get());  // judged by the status below
    curl_off_t length = -1;
    if (curl_easy_getinfo(handle.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) length = -1;
    long status = 0;
    const CURLcode statusResult = curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status);
    if (statusResult != CURLE_OK || status < 200 || status > 400) ReportLengthFailure(status);
    DIAG_LOG(L"error:%d:%ls", statusResult, DescribeCurlResult(statusResult).c_str());
    return static_cast<double>(length);
}

std::string CurlClient::GetRealUrl_Str(const std::string& address) {
    std::string real;
    if (UniqueCurl handle{curl_easy_init()}) {
        CURLcode result;
        SetQueryOptions(handle.get(), address, result);
        if (result == CURLE_OK) result = curl_easy_perform(handle.get());
        if (result != CURLE_OK) {
            DIAG_LOG(L"error:%d:%ls", result, DescribeCurlResult(result).c_str());
        } else {
            real = GetRealUrl(handle.get());
        }
    }
    return real.empty() ? address : real;
}

int CurlClient::QueryProgress(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CurlClient*>(client)->stopRequested_ ? 1 : 0;
}

int CurlClient::ProgressCallback(void* data, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    auto* self = static_cast<CurlClient*>(data);
    if (self->stopRequested_) return 1;
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    if (now <= self->lastProgressSecond_) return 0;
    self->lastProgressSecond_ = now;

    double speed = 0.0;
    curl_off_t bytesPerSecond = 0;
    if (self->curl_ && curl_easy_getinfo(self->curl_, CURLINFO_SPEED_DOWNLOAD_T, &bytesPerSecond) == CURLE_OK) {
        speed = static_cast<double>(bytesPerSecond);
    }
    double percent;
    if (self->fileLength_ > kMinimumLength) {
        percent = static_cast<double>(self->resumeFrom_ + dlnow) / static_cast<double>(self->fileLength_) * 100.0;
    } else {
        if (dlnow <= 0 || dltotal <= 0) return 0;
        percent = static_cast<double>(dlnow) * 100.0 / static_cast<double>(dltotal);
    }
    if (percent == 0.0) return 0;
    self->progressSink_(self->owner_, speed, 0.0, percent);
    if (dltotal != 0) {
        DIAG_LOG(L" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(dlnow / 1048576),
                 static_cast<int>(dltotal / 1048576), static_cast<double>(static_cast<float>(percent)),
                 static_cast<double>(static_cast<float>(speed / 1024)));
    }
    return 0;
}

}  // namespace download
