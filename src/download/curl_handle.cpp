#include "download/curl_handle.h"

#include "platform/text.h"

namespace download {

size_t DiscardData(char*, size_t size, size_t count, void*) { return size * count; }

std::wstring DescribeCurlResult(int result) {
    return platform::Utf8ToWide(curl_easy_strerror(static_cast<CURLcode>(result)));
}

std::string NarrowUrl(const std::wstring& url) {
    return url.rfind(L"file:///", 0) == 0 ? platform::WideToAnsi(url) : platform::WideToUtf8(url);
}

}  // namespace download
