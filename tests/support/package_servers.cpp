#include "support/package_servers.h"

#include "support/host.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "platform/paths.h"
#include "platform/system_info.h"
#include "platform/text.h"

namespace testing_support {
namespace {

std::string ReadPort(const std::wstring& file) {
    std::ifstream in(platform::kPathSeparator == L'\\' ? std::string(platform::WideToAnsi(file))
                                                        : platform::WideToUtf8(file));
    std::string port;
    in >> port;
    return port;
}

size_t Append(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

}  // namespace

const PackageServers& PackageServers::Get() {
    static const PackageServers servers = [] {
        PackageServers s;
        const char* dir = std::getenv("TESSARO_TEST_SERVERS");
        if (!dir) return s;
        const std::wstring root = LocalPath(dir);
        const std::wstring sep(1, platform::kPathSeparator);
        s.nginx = "http://127.0.0.1:" + ReadPort(root + sep + L"nginx.port");
        s.fault = "http://127.0.0.1:" + ReadPort(root + sep + L"fault.port");
        s.stats = "http://127.0.0.1:" + ReadPort(root + sep + L"stats.port");
        s.untrustedTls = "https://127.0.0.1:" + ReadPort(root + sep + L"nginx-tls.port");
        s.packages = root + sep + L"www";
        return s;
    }();
    if (servers.packages.empty()) ADD_FAILURE() << "TESSARO_TEST_SERVERS is not set: run through CTest";
    return servers;
}

std::string PackageServers::NewToken() {
    static std::atomic<int> counter{0};
    return "p" + std::to_string(platform::CurrentProcessId()) + "n" + std::to_string(counter++);
}

void CurlEnvironment::SetUp() { curl_global_init(CURL_GLOBAL_ALL); }
void CurlEnvironment::TearDown() { curl_global_cleanup(); }

std::string HttpGet(const std::string& url) {
    std::unique_ptr<CURL, void (*)(CURL*)> handle(curl_easy_init(), curl_easy_cleanup);
    std::string body;
    curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle.get(), CURLOPT_FAILONERROR, 1L);
    return curl_easy_perform(handle.get()) == CURLE_OK ? body : std::string();
}

}  // namespace testing_support
