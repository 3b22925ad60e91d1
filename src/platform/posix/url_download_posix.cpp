#include <curl/curl.h>

#include <cstdio>
#include <memory>

#include "platform/posix/native_path.h"
#include "platform/text.h"
#include "platform/url_download.h"

namespace platform {
namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

struct Context {
    UrlDownloadProgress* progress;
    CURL* handle;
    curl_off_t lastNow = -1;
    curl_off_t lastTotal = -1;
    bool aborted = false;
};

int OnTransferInfo(void* data, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    auto* context = static_cast<Context*>(data);
    // Like the system service: one notification per change, none for the bodies of redirects.
    long status = 0;
    curl_easy_getinfo(context->handle, CURLINFO_RESPONSE_CODE, &status);
    if ((status >= 300 && status < 400) || (dlnow == context->lastNow && dltotal == context->lastTotal)) return 0;
    context->lastNow = dlnow;
    context->lastTotal = dltotal;
    // The service reports in 32-bit counts.
    if (!context->progress->OnProgress(static_cast<std::uint32_t>(dlnow), static_cast<std::uint32_t>(dltotal))) {
        context->aborted = true;
        return 1;
    }
    return 0;
}

}  // namespace

std::int32_t UrlDownloadToFile(const std::wstring& url, const std::wstring& path, UrlDownloadProgress& progress) {
    std::unique_ptr<CURL, void (*)(CURL*)> handle(curl_easy_init(), curl_easy_cleanup);
    if (!handle) return kUrlDownloadFailed;
    const std::string native = posix::NativePath(path);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(native.c_str(), "wbe"), std::fclose);
    if (!file) return kUrlDownloadFailed;
    Context context{&progress, handle.get()};
    const std::string address = WideToUtf8(url);
    CURL* h = handle.get();
    curl_easy_setopt(h, CURLOPT_URL, address.c_str());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, file.get());
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnTransferInfo);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &context);
    const CURLcode result = curl_easy_perform(h);
    const bool flushed = std::fflush(file.get()) == 0;
    if (context.aborted) return kUrlDownloadAborted;
    return result == CURLE_OK && flushed ? kUrlDownloadOk : kUrlDownloadFailed;
}

}  // namespace platform
