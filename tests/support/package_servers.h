#pragma once
// The local package servers started by the CTest fixture (tests/servers/servers.sh): nginx for
// plain serving and fault_server.py for faults on demand.
#include <gtest/gtest.h>

#include <string>

namespace testing_support {

class PackageServers {
public:
    // Reads the ports the fixture wrote; fails the test when the fixture did not run.
    static const PackageServers& Get();

    // "http://127.0.0.1:<port>"
    std::string nginx;
    std::string fault;
    std::string stats;  // the statistics collector
    // "https://127.0.0.1:<port>": nginx with a self-signed certificate.
    std::string untrustedTls;
    // The folder holding the served packages (www/) as this program names it.
    std::wstring packages;

    // A token unique to this process and call, grouping one test's requests at the fault server.
    static std::string NewToken();
};

// libcurl's global set-up for a test program that transfers.
class CurlEnvironment : public testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// A plain GET with libcurl; the body, or empty text when the request failed.
std::string HttpGet(const std::string& url);

}  // namespace testing_support
