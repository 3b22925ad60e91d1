#pragma once
// How a batch of records travels: gzip, Base64, percent-encoding, a form POST with libcurl.
#include <optional>
#include <string>
#include <string_view>

namespace event_sdk {

// gzip (deflate, window bits 31, level 9); nothing when zlib fails (message on standard error).
std::optional<std::string> Gzip(std::string_view data);
std::string Base64(std::string_view data);
// Letters, digits and "-._~" stay; every other byte becomes "%" and two upper-case hex digits.
std::string PercentEncode(std::string_view text);

// "data_list=<percent-encoded Base64 of the gzipped JSON array>&gzip=1"
std::optional<std::string> BatchBody(std::string_view jsonArray);

struct Response {
    long status = -1;  // -1: the transfer failed
    std::string body;  // the response body, or libcurl's error text
};

// One POST of `body` to `url` with the SDK's user agent and a 3-second limit.
Response Post(const std::string& url, const std::string& body);

}  // namespace event_sdk
