#include "statistics/event_sdk_transport.h"

#include <curl/curl.h>
#include <zlib.h>

#include <memory>
#include <stdexcept>

#include "statistics/event_sdk_values.h"

namespace event_sdk {
namespace {

size_t AppendBody(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

}  // namespace

std::optional<std::string> Gzip(std::string_view data) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        Complain("deflateInit2 failed while compressing.");
        return std::nullopt;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char chunk[32768];
    int result;
    do {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof(chunk);
        result = deflate(&stream, Z_FINISH);
        if (result == Z_STREAM_ERROR) {
            Complain("Exception during zlib compression: (" + std::to_string(result) + ") " + (stream.msg ? stream.msg : ""));
            deflateEnd(&stream);
            return std::nullopt;
        }
        out.append(chunk, sizeof(chunk) - stream.avail_out);
    } while (result != Z_STREAM_END);
    deflateEnd(&stream);
    return out;
}

std::string Base64(std::string_view data) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const unsigned n = static_cast<unsigned char>(data[i]) << 16 | static_cast<unsigned char>(data[i + 1]) << 8 |
                           static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[n >> 18];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
        out += kAlphabet[n & 63];
    }
    if (i < data.size()) {
        const bool two = i + 1 < data.size();
        const unsigned n = static_cast<unsigned char>(data[i]) << 16 | (two ? static_cast<unsigned char>(data[i + 1]) << 8 : 0);
        out += kAlphabet[n >> 18];
        out += kAlphabet[(n >> 12) & 63];
        out += two ? kAlphabet[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> BatchBody(std::string_view jsonArray) {
    const auto compressed = Gzip(jsonArray);
    if (!compressed) return std::nullopt;
    return "data_list=" + PercentEncode(Base64(*compressed)) + "&gzip=1";
}

Response Post(const std::string& url, const std::string& body) {
    std::unique_ptr<CURL, void (*)(CURL*)> handle(curl_easy_init(), curl_easy_cleanup);
    if (!handle) throw std::runtime_error("Couldn't initialize curl handle");
    Response response;
    CURL* h = handle.get();
    // The server's certificate is verified: the batches carry the device's identity.
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &response.body);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "Analytics CPP SDK 0.9");
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 3L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    const CURLcode result = curl_easy_perform(h);
    if (result != CURLE_OK) {
        response.status = -1;
        response.body = curl_easy_strerror(result);
    } else {
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
    }
    return response;
}

}  // namespace event_sdk
