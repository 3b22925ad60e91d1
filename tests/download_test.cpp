#include <curl/curl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "download/curl_client.h"
#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "download/stop_signal.h"
#include "download/url_digest.h"
#include "download/win_downloader.h"
#include "platform/file_ops.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/download_harness.h"
#include "support/host.h"
#include "support/package_servers.h"
#include "support/temp_dir.h"
#include "utils/status.h"
#include "utils/system_checks.h"
#include "utils/usage_report.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing_support::DownloadHarness;
using testing_support::PackageServers;

class Environment : public testing_support::CurlEnvironment {
public:
    void SetUp() override {
        CurlEnvironment::SetUp();
        // Retry pauses of milliseconds instead of seconds: the budgets are what is tested.
        download::testing::SetPauseScale(0.01);
    }
};
const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new Environment);

std::wstring Package(const std::wstring& name) {
    return PackageServers::Get().packages + platform::kPathSeparator + name;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    const std::string digest = Utils::FileMd5Text(a);
    return !digest.empty() && digest == Utils::FileMd5Text(b);
}

// Every run starts with one 1001 and ends with one of 1003, 1004, 1005.
void ExpectWellFormedRuns(const std::vector<int>& codes) {
    bool inRun = false;
    for (int code : codes) {
        if (code == DL_CODE_START) {
            EXPECT_FALSE(inRun) << "a run began before the last one ended";
            inRun = true;
        } else {
            EXPECT_TRUE(inRun) << "report " << code << " outside a run";
            if (code == DL_CODE_SUCCESS || code == DL_CODE_FAIL || code == DL_CODE_RETRY) inRun = false;
        }
    }
    EXPECT_FALSE(inRun) << "the last run did not end";
}

std::vector<std::string> Requests(const std::string& token, const std::string& method = "GET") {
    std::vector<std::string> lines;
    const std::string log = testing_support::HttpGet(PackageServers::Get().fault + "/log?t=" + token);
    size_t start = 0;
    while (start < log.size()) {
        const size_t end = log.find('\n', start);
        const std::string line = log.substr(start, end - start);
        if (line.rfind(method + " ", 0) == 0) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// ---------------------------------------------------------------- the digest in the address

TEST(GetUrlMd5, TakesTheSegmentBeforeTheFileName) {
    struct Row {
        const char* url;
        const char* md5;
    } rows[] = {
        {"http://h/software/0123456789abcdef0123456789abcdef/pkg.exe", "0123456789abcdef0123456789abcdef"},
        {"http://h/pkg.exe", "h"},
        {"http://h/a/", "a"},
        {"pkg.exe", ""},
        {"/pkg.exe", ""},
        {"", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(download::GetUrlMd5(row.url), row.md5);
    }
}

// ---------------------------------------------------------------- every downloader, plain serving

class AllTypes : public testing::TestWithParam<int> {};

TEST_P(AllTypes, FetchesThePackageFromNginx) {
    for (const wchar_t* name : {L"pkg-2m.bin", L"pkg-25m.bin"}) {
        SCOPED_TRACE(platform::WideToUtf8(name));
        testing_support::TempDir dir;
        DownloadHarness h(GetParam(), PackageServers::Get().nginx + "/software/" + platform::WideToUtf8(name),
                          dir.Child(L"__Package_Tessaro.exe"));
        h.Start();
        ASSERT_TRUE(h.WaitForEnd());
        const auto codes = h.Codes();
        ExpectWellFormedRuns(codes);
        EXPECT_EQ(codes.front(), DL_CODE_START);
        EXPECT_EQ(codes.back(), DL_CODE_SUCCESS);
        EXPECT_TRUE(SameFile(h.path, Package(name)));
        for (const auto& r : h.Reports()) {
            // The URL-moniker service also notifies "nothing yet"; libcurl progress is never 0.
            if (r.code == DL_CODE_PROGRESS) {
                EXPECT_GE(r.value, GetParam() == 2 ? 0.0 : 1e-9);
            }
            if (r.code == DL_CODE_SUCCESS) {
                EXPECT_EQ(r.text, GetParam() == 2 ? L"URLDownloadToFile" : L"LibCurl");
            }
        }
        EXPECT_FALSE(platform::FileSize(h.path + L".part"));
        EXPECT_FALSE(platform::FileSize(h.path + L"_0"));
        EXPECT_FALSE(platform::FileSize(h.path + L"_1"));
    }
}

TEST_P(AllTypes, DestroyingDuringATransferStopsItAtOnce) {
    testing_support::TempDir dir;
    const std::string token = PackageServers::NewToken();
    auto h = std::make_unique<DownloadHarness>(
        GetParam(), PackageServers::Get().fault + "/t=" + token + "/rate=300000/software/pkg-2m.bin",
        dir.Child(L"p.exe"));
    h->Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const auto before = std::chrono::steady_clock::now();
    h->Destroy();  // the harness fails the test on any report after this
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
    EXPECT_FALSE(platform::FileSize(dir.Child(L"p.exe.part")));
}

TEST_P(AllTypes, RefusesAServerWhoseCertificateIsNotTrusted) {
    if (GetParam() != 2 && testing_support::RunningUnderWine()) {
        // libcurl's Schannel back end leaves the check to the system, and Wine's Schannel does not
        // make it; the native build checks that no downloader turns verification off.
        GTEST_SKIP() << "Wine's Schannel accepts any certificate";
    }
    testing_support::TempDir dir;
    DownloadHarness h(GetParam(), PackageServers::Get().untrustedTls + "/software/pkg-2m.bin", dir.Child(L"p.exe"));
    h.Start();
    ASSERT_TRUE(h.WaitForEnd());
    auto codes = h.Codes();
    codes.erase(std::remove(codes.begin(), codes.end(), DL_CODE_PROGRESS), codes.end());
    EXPECT_THAT(codes, ElementsAre(DL_CODE_START, DL_CODE_FAIL));
    EXPECT_FALSE(platform::FileSize(h.path));
}

INSTANTIATE_TEST_SUITE_P(Downloaders, AllTypes, testing::Values(1, 2, 3));

// ---------------------------------------------------------------- the integrity rule

struct DigestRow {
    const char* name;
    int type;
    const char* directives;
    std::vector<int> codes;
    const wchar_t* detail;
};

void PrintTo(const DigestRow& row, std::ostream* os) { *os << row.name; }

class DigestRule : public testing::TestWithParam<DigestRow> {};

TEST_P(DigestRule, ReportsAndReruns) {
    const DigestRow& row = GetParam();
    testing_support::TempDir dir;
    const std::string token = PackageServers::NewToken();
    DownloadHarness h(row.type, PackageServers::Get().fault + "/t=" + token + row.directives + "/software/pkg-2m.bin",
                      dir.Child(L"p.exe"));
    h.Start();
    ASSERT_TRUE(h.WaitForEnd());
    auto codes = h.Codes();
    codes.erase(std::remove(codes.begin(), codes.end(), DL_CODE_PROGRESS), codes.end());
    EXPECT_THAT(codes, ElementsAreArray(row.codes));
    for (const auto& r : h.Reports()) {
        if (r.code == DL_CODE_MD5_DETAIL) {
            EXPECT_EQ(r.text, row.detail);
        }
        if (r.code == DL_CODE_FAIL) {
            EXPECT_EQ(r.value, 0.0);
        }
    }
    const bool succeeded = codes.back() == DL_CODE_SUCCESS;
    EXPECT_EQ(platform::FileSize(h.path).has_value(), succeeded);
    if (succeeded) {
        EXPECT_TRUE(SameFile(h.path, Package(L"pkg-2m.bin")));
    }
}

const std::vector<int> kMismatchTwice = {1001, 1006, 1005, 1001, 1006, 1004};
INSTANTIATE_TEST_SUITE_P(
    Rows, DigestRule,
    testing::Values(
        DigestRow{"curl_no_digest", 1, "/nodigest=1", {1001, 1006, 1003}, L"curl获取url-md5失败"},
        DigestRow{"curl_uppercase", 1, "/md5=UPPER", kMismatchTwice, L"curl文件md5校验失败"},
        DigestRow{"curl_wrong", 1, "/md5=00000000000000000000000000000000", kMismatchTwice, L"curl文件md5校验失败"},
        DigestRow{"mt_no_digest", 3, "/nodigest=1", {1001, 1006, 1003}, L"mtcurl获取url-md5失败"},
        DigestRow{"mt_wrong", 3, "/md5=00000000000000000000000000000000", kMismatchTwice, L"mtcurl文件md5校验失败"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- the single-connection downloader

struct FailureRow {
    const char* name;
    std::string url;  // {fault}, {token} are replaced
    double value;
    int gets;  // GET requests of the package itself; -1: not counted
};

void PrintTo(const FailureRow& row, std::ostream* os) { *os << row.name; }

class CurlFailures : public testing::TestWithParam<FailureRow> {};

TEST_P(CurlFailures, EndWithTheLastResultAfterTheBudget) {
    const FailureRow& row = GetParam();
    const std::string token = PackageServers::NewToken();
    std::string url = row.url;
    for (auto [key, value] : {std::pair<std::string, std::string>{"{fault}", PackageServers::Get().fault},
                              {"{token}", token}}) {
        for (size_t at; (at = url.find(key)) != std::string::npos;) url.replace(at, key.size(), value);
    }
    testing_support::TempDir dir;
    DownloadHarness h(1, url, dir.Child(L"p.exe"));
    h.Start();
    ASSERT_TRUE(h.WaitForEnd());
    const auto reports = h.Reports();
    EXPECT_EQ(reports.front().code, DL_CODE_START);
    EXPECT_EQ(reports.back().code, DL_CODE_FAIL);
    EXPECT_EQ(reports.back().value, row.value);
    EXPECT_EQ(reports.back().text, L"LibCurl");
    EXPECT_FALSE(platform::FileSize(h.path));
    if (row.gets >= 0) {
        int gets = 0;
        for (const auto& line : Requests(token)) gets += line.find("/software/") == std::string::npos ? 1 : 0;
        EXPECT_EQ(gets, row.gets);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CurlFailures,
    testing::Values(
        // Budget 12, 2 per failure: six attempts.
        FailureRow{"not_found", "{fault}/t={token}/getstatus=404/software/pkg-2m.bin", 22, 6},
        // Budget 12, 1 per partial transfer: twelve attempts, each resuming the part file.
        FailureRow{"cut_every_time", "{fault}/t={token}/cut=65536/software/pkg-2m.bin", 18, 12},
        FailureRow{"one_byte_short_of_1MiB", "{fault}/t={token}/software/pkg-1m-1.bin", -998, 0},
        FailureRow{"head_refused", "{fault}/t={token}/nohead=1/software/pkg-2m.bin", -998, 0},
        FailureRow{"server_error", "{fault}/t={token}/status=500/software/pkg-2m.bin", -998, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CCurlDownloader, UnreachableServerGivesUpAfterSixAttempts) {
    std::mutex mutex;
    std::vector<std::wstring> events;
    Utils::SetTaskEventRecorder([&](const std::wstring& title, const std::wstring& text) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(title + L"|" + text);
    });
    testing_support::TempDir dir;
    DownloadHarness h(1, "http://127.0.0.1:1/software/291", dir.Child(L"p.exe"));
    h.Start();
    ASSERT_TRUE(h.WaitForEnd());
    Utils::SetTaskEventRecorder(nullptr);
    EXPECT_THAT(h.Codes(), ElementsAre(DL_CODE_START, DL_CODE_FAIL));
    EXPECT_EQ(h.Reports().back().value, -998);
    // Two failed length inquiries per attempt, status 0 as nothing was received.
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(events.size(), 12u);
    for (const auto& e : events) EXPECT_EQ(e, L"下载失败原因|1.获取文件大小的状态码为=0；");
}

TEST(CCurlDownloader, ExactlyOneMebibyteIsAccepted) {
    testing_support::TempDir dir;
    DownloadHarness h(1, PackageServers::Get().fault + "/software/pkg-1m.bin", dir.Child(L"p.exe"));
    h.Start();
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_EQ(h.Codes().back(), DL_CODE_SUCCESS);
    EXPECT_TRUE(SameFile(h.path, Package(L"pkg-1m.bin")));
}

TEST(CCurlDownloader, ResumesACutTransferFromThePartFile) {
    testing_support::TempDir dir;
    const std::string token = PackageServers::NewToken();
    DownloadHarness h(1, PackageServers::Get().fault + "/t=" + token + "/cutonce=700000/software/pkg-2m.bin",
                      dir.Child(L"p.exe"));
    h.Start();
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_EQ(h.Codes().back(), DL_CODE_SUCCESS);
    EXPECT_TRUE(SameFile(h.path, Package(L"pkg-2m.bin")));
    const auto gets = Requests(token);
    ASSERT_EQ(gets.size(), 2u);
    EXPECT_THAT(gets[1], testing::EndsWith(" bytes=700000-"));
}

TEST(CurlClient, ResumesBeyondTwoGibibytes) {
    testing_support::TempDir dir;
    const std::wstring path = dir.Child(L"p.exe");
    const std::int64_t packageSize = 2LL * 1073741824 + 1048576 + 7;
    const std::int64_t have = 2LL * 1073741824 + 5;  // sparse: nothing is written
    std::filesystem::resize_file(std::filesystem::path(dir.WriteFile(L"p.exe.part", "")), have);
    const std::string token = PackageServers::NewToken();
    download::CurlClient client(
        platform::Utf8ToWide(PackageServers::Get().fault + "/t=" + token + "/nodigest=1/software/pkg-2g.bin"), path,
        nullptr, [](void*, double, double, double) {});
    EXPECT_EQ(client.Start(), 0);
    EXPECT_EQ(client.FileLength(), packageSize);
    EXPECT_EQ(platform::FileSize(path), packageSize);
    const auto gets = Requests(token);
    ASSERT_EQ(gets.size(), 1u);
    EXPECT_THAT(gets[0], testing::EndsWith(" bytes=" + std::to_string(have) + "-"));
}

// ---------------------------------------------------------------- the multi-part downloader

TEST(CMTCurlDownloader, SplitsIntoAtMostTwoRanges) {
    using Range = download::CMTCurlDownloader::Range;
    const std::int64_t unit = 10485760;
    struct Row {
        std::int64_t length;
        std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    } rows[] = {
        {256, {{0, 256}}},
        {2 * unit - 1, {{0, 2 * unit - 1}}},
        {2 * unit, {{0, unit}, {unit, unit}}},
        {3 * unit + 1, {{0, 3 * unit / 2}, {3 * unit / 2, 3 * unit / 2 + 1}}},
        {5LL * 1073741824 + 1, {{0, 5LL * 1073741824 / 2}, {5LL * 1073741824 / 2, 5LL * 1073741824 / 2 + 1}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.length);
        std::vector<std::pair<std::int64_t, std::int64_t>> got;
        for (const Range& r : download::CMTCurlDownloader::Split(row.length)) got.emplace_back(r.start, r.size);
        EXPECT_EQ(got, row.ranges);
    }
}

TEST(CMTCurlDownloader, ShortPackagesAndFailedParts) {
    struct Row {
        const char* name;
        std::string path;
        std::vector<int> codes;
        double value;
    } rows[] = {
        {"255 bytes", "/software/pkg-255.bin", {1001, 1004}, 0.0},
        {"256 bytes", "/software/pkg-256.bin", {1001, 1006, 1003}, 0.0},
        // The server sends more than the range asks for: the attempt ends in a write error with the
        // range stored, and the next attempt finds the part complete.
        {"more than the range", "/extra=10/software/pkg-25m.bin", {1001, 1006, 1003}, 0.0},
        {"not found", "/getstatus=404/software/pkg-2m.bin", {1001, 1005, 1001, 1004}, 22.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::TempDir dir;
        DownloadHarness h(3, PackageServers::Get().fault + "/nodigest=1" + row.path, dir.Child(L"p.exe"));
        h.Start();
        ASSERT_TRUE(h.WaitForEnd());
        auto codes = h.Codes();
        codes.erase(std::remove(codes.begin(), codes.end(), DL_CODE_PROGRESS), codes.end());
        EXPECT_EQ(codes, row.codes);
        EXPECT_EQ(h.Reports().back().value, row.value);
        EXPECT_FALSE(platform::FileSize(h.path + L"_0"));
        EXPECT_FALSE(platform::FileSize(h.path + L"_1"));
        if (codes.back() == DL_CODE_SUCCESS) {
            EXPECT_TRUE(SameFile(h.path, Package(platform::Utf8ToWide(row.path.substr(row.path.rfind('/') + 1)))));
        }
        if (codes.back() == DL_CODE_SUCCESS) {
            EXPECT_TRUE(SameFile(h.path, Package(platform::Utf8ToWide(row.path.substr(row.path.rfind('/') + 1)))));
        }
    }
}

TEST(CMTCurlDownloader, RerunFetchesOnlyTheMissingBytesOfEachPart) {
    testing_support::TempDir dir;
    const std::string token = PackageServers::NewToken();
    const std::string& fault = PackageServers::Get().fault;
    const std::int64_t length = 25 * 1048576 + 1;
    const std::int64_t secondPart = length / 2;
    // Part 1 is cut after 300000 bytes on every attempt, slowly enough for progress to be seen.
    testing_support::HttpGet(fault + "/ctl?t=" + token + "&cutfrom=" + std::to_string(secondPart) +
                             "&cutafter=300000&rate=3000000");
    DownloadHarness h(3, fault + "/t=" + token + "/software/pkg-25m.bin", dir.Child(L"p.exe"));
    std::int64_t part1Before = -1;
    h.beforeRetry = [&] {
        part1Before = platform::FileSize(h.path + L"_1").value_or(-1);
        EXPECT_EQ(platform::FileSize(h.path + L"_0"), secondPart) << "part 0 is complete and kept";
        testing_support::HttpGet(fault + "/ctl?t=" + token);  // the server recovers
    };
    h.Start();
    ASSERT_TRUE(h.WaitForEnd());
    auto codes = h.Codes();
    codes.erase(std::remove(codes.begin(), codes.end(), DL_CODE_PROGRESS), codes.end());
    EXPECT_THAT(codes, ElementsAre(1001, 1005, 1001, 1003));
    const auto reports = h.Reports();
    const auto retry = std::find_if(reports.begin(), reports.end(), [](const auto& r) { return r.code == DL_CODE_RETRY; });
    ASSERT_NE(retry, reports.end());
    EXPECT_EQ(retry->value, 18.0) << "the status of the failed part";
    EXPECT_TRUE(SameFile(h.path, Package(L"pkg-25m.bin")));
    ASSERT_GT(part1Before, 0);
    // The last request of the re-run asks for part 1 from where its file ended; part 0 is not asked for.
    const auto gets = Requests(token);
    EXPECT_THAT(gets.back(), testing::EndsWith(" bytes=" + std::to_string(secondPart + part1Before) + "-" +
                                               std::to_string(length - 1)));
    int part0Requests = 0;
    for (const auto& line : gets) part0Requests += line.find(" bytes=0-") != std::string::npos ? 1 : 0;
    EXPECT_EQ(part0Requests, 1);
}

TEST(CMTCurlDownloader, ProgressIsSteppedAndNeverAboveOne) {
    testing_support::TempDir dir;
    DownloadHarness h(3, PackageServers::Get().fault + "/rate=8000000/software/pkg-25m.bin", dir.Child(L"p.exe"));
    h.Start();
    ASSERT_TRUE(h.WaitForEnd());
    double last = 0.0;
    int progress = 0;
    for (const auto& r : h.Reports()) {
        if (r.code != DL_CODE_PROGRESS) continue;
        ++progress;
        EXPECT_GE(r.value - last, 0.01 - 1e-12);
        EXPECT_LE(r.value, 1.0);
        last = r.value;
    }
    EXPECT_GE(progress, 1);
}

// ---------------------------------------------------------------- the URL-moniker downloader

TEST(CWinDownloader, EscapeUrl) {
    EXPECT_EQ(download::CWinDownloader::EscapeUrl(L"http://h/a b/安?x=%41"),
              L"http://h/a+b/%E5%AE%89?x=%41");
    EXPECT_EQ(download::CWinDownloader::EscapeUrl(L"\t~!"), L"%09~!");
}

TEST(CWinDownloader, ThreeFailedAttemptsThenAStartAgainRunsAgain) {
    testing_support::TempDir dir;
    // Nothing listens on port 1. (Wine's service, unlike ours, accepts a 404 answer as a download.)
    DownloadHarness h(2, "http://127.0.0.1:1/software/pkg-2m.bin", dir.Child(L"p.exe"));
    for (int run = 0; run < 2; ++run) {
        h.Start();
        ASSERT_TRUE(h.WaitForEnd());
    }
    EXPECT_THAT(h.Codes(), ElementsAre(1001, 1004, 1001, 1004));
    for (const auto& r : h.Reports()) {
        if (r.code == DL_CODE_FAIL) {
            EXPECT_LT(r.value, 0.0) << "a failure HRESULT";
            EXPECT_EQ(r.text, L"URLDownloadToFile");
        }
    }
}

TEST(CWinDownloader, ProgressCallbackRules) {
    std::vector<double> values;
    download::CWinDownloader::CBindCallback callback;
    callback.listener = [&](std::int32_t, double value, const wchar_t*) { values.push_back(value); };
    EXPECT_TRUE(callback.OnProgress(5, 0));
    EXPECT_TRUE(callback.OnProgress(1, 4));
    EXPECT_TRUE(callback.OnProgress(6, 4));
    callback.aborted = true;
    EXPECT_FALSE(callback.OnProgress(2, 4));
    EXPECT_THAT(values, ElementsAre(0.25, 1.5));
}

TEST(Downloaders, SelectionByType) {
    testing_support::TempDir dir;
    for (int type : {-1, 0, 1, 4}) {
        auto d = download::CreateDownloader(type, [](std::int32_t, double, const wchar_t*) {}, L"http://h/x", dir.Child(L"p"));
        EXPECT_NE(dynamic_cast<download::CCurlDownloader*>(d.get()), nullptr) << type;
    }
    EXPECT_NE(dynamic_cast<download::CWinDownloader*>(
                  download::CreateDownloader(2, [](std::int32_t, double, const wchar_t*) {}, L"http://h/x", dir.Child(L"p")).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<download::CMTCurlDownloader*>(
                  download::CreateDownloader(3, [](std::int32_t, double, const wchar_t*) {}, L"http://h/x", dir.Child(L"p")).get()),
              nullptr);
}

}  // namespace
