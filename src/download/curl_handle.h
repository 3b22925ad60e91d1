#pragma once
#include <curl/curl.h>

#include <memory>
#include <string>

namespace download {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using UniqueCurl = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using UniqueSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

// A libcurl write function that keeps nothing: body-less queries may still receive a body.
size_t DiscardData(char* data, size_t size, size_t count, void* user);

// libcurl's description of a result (also of the client's own negative codes: "Unknown error"),
// for the diagnostic log.
std::wstring DescribeCurlResult(int result);

// The address as libcurl takes it: UTF-8, but a "file:///" address in the ANSI code page.
std::string NarrowUrl(const std::wstring& url);

}  // namespace download
