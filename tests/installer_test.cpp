#include <curl/curl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "installer/download_installer.h"
#include "installer/package_installer.h"
#include "installer/uninstaller.h"
#include "platform/file_ops.h"
#include "platform/paths.h"
#include "platform/shortcuts.h"
#include "platform/text.h"
#include "support/host.h"
#include "support/package_servers.h"
#include "support/temp_dir.h"
#include "utils/status.h"

namespace {

using testing::ElementsAre;
using testing_support::PackageServers;
using testing_support::TempDir;

const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new testing_support::CurlEnvironment);

struct Seen {
    int code;
    double value;
    std::wstring text;
};

// Records reports from runner threads and waits for a final one.
class Reports {
public:
    Utils::StatusCallback Callback(std::function<void(int)> after = nullptr) {
        return [this, after](std::int32_t code, double value, const wchar_t* text) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back({code, value, text});
            }
            changed_.notify_all();
            if (after) after(code);
        };
    }
    // Waits until a report with one of `codes` arrived; false after a minute.
    bool WaitFor(std::initializer_list<int> codes) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] {
            for (const Seen& s : seen_) {
                for (int c : codes) {
                    if (s.code == c) return true;
                }
            }
            return false;
        });
    }
    std::vector<Seen> All() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }
    std::vector<int> Codes() {
        std::vector<int> codes;
        for (const Seen& s : All()) codes.push_back(s.code);
        return codes;
    }
    Seen Last() { return All().back(); }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Seen> seen_;
};

// The scripted misbehaviour of the reference programs, for one test.
class Script {
public:
    explicit Script(const std::string& script) { testing_support::SetEnvironment("TESSARO_REFERENCE_SCRIPT", script); }
    ~Script() { testing_support::SetEnvironment("TESSARO_REFERENCE_SCRIPT", ""); }
};

std::wstring ReferencePackage() { return testing_support::LocalPath(TESSARO_REFERENCE_PACKAGE); }
std::wstring ReferenceUninstaller() { return testing_support::LocalPath(TESSARO_REFERENCE_UNINSTALLER); }
std::wstring Join(const std::wstring& a, const std::wstring& b) { return a + platform::kPathSeparator + b; }

// A copy of the reference package where the orchestrator would have downloaded it.
std::wstring PlacePackage(const TempDir& dir) {
    const std::wstring path = dir.Child(L"__Package_Tessaro.exe");
    EXPECT_TRUE(platform::CopyFileReplacing(ReferencePackage(), path));
    return path;
}

std::vector<int> RunPackage(const TempDir& dir, Reports& reports, const std::wstring& installDir) {
    installer::PackageInstaller runner(reports.Callback(), L"\"" + PlacePackage(dir) + L"\"", installDir);
    runner.Start();
    EXPECT_TRUE(reports.WaitFor({IST_CODE_SUCCESS, IST_CODE_FAIL}));
    return reports.Codes();  // the runner's destructor waited for the package to end
}

// ---------------------------------------------------------------- the package runner

TEST(PackageInstaller, InstallsTheReferenceProduct) {
    TempDir dir;
    testing_support::SetEnvironment("HOME", platform::WideToUtf8(dir.path()));
    const std::wstring name = platform::kPathSeparator == L'\\' ? L"Tessaro.lnk" : L"Tessaro.desktop";
    for (const std::wstring& folder : {platform::DesktopFolder(), platform::QuickLaunchFolder()}) {
        (void)platform::RemoveFile(Join(folder, name));  // left by an earlier installation, maybe
    }
    Reports reports;
    const std::wstring target = dir.Child(L"Program Files") + platform::kPathSeparator + L"Tessaro";
    installer::PackageInstaller runner(reports.Callback(), L"\"" + PlacePackage(dir) + L"\"", target);
    runner.dsc = true;
    runner.Start();
    ASSERT_TRUE(reports.WaitFor({IST_CODE_SUCCESS, IST_CODE_FAIL}));
    EXPECT_THAT(reports.Codes(), ElementsAre(2001, 2002, 2002, 2002, 2002, 3000, 3001, 3003, 3005, 2003));
    const auto all = reports.All();
    EXPECT_EQ(all[5].text, target);
    EXPECT_EQ(all[6].text, Join(target, L"Tessaro.exe"));
    EXPECT_EQ(all[7].text, Join(target, L"uninst.ep"));
    EXPECT_EQ(all[8].value, 2.0);
    EXPECT_EQ(all[9].value, 0.0);
    for (const wchar_t* file : {L"Tessaro.exe", L"uninst.ep", L"set.ini"}) {
        EXPECT_TRUE(platform::PathExists(Join(target, file))) << platform::WideToUtf8(file);
    }
    EXPECT_EQ(runner.lineState.versionMajor * 10000 + runner.lineState.versionMinor * 100 + runner.lineState.versionPatch,
              10709);
    // The desktop shortcut asked for with -dsc=true, and no quick-launch one.
    EXPECT_TRUE(platform::PathExists(Join(platform::DesktopFolder(), name)));
    EXPECT_FALSE(platform::PathExists(Join(platform::QuickLaunchFolder(), name)));
    (void)platform::RemoveFile(Join(platform::DesktopFolder(), name));
}

struct ScriptRow {
    const char* name;
    const char* script;
    std::vector<int> tail;  // the last reports
    double value;           // of the final report; -1: not compared
    const wchar_t* text;    // of the final report
};

void PrintTo(const ScriptRow& row, std::ostream* os) { *os << row.name; }

class PackageScripts : public testing::TestWithParam<ScriptRow> {};

TEST_P(PackageScripts, EndAsTheProtocolSays) {
    const ScriptRow& row = GetParam();
    TempDir dir;
    Reports reports;
    Script script(row.script);
    const auto codes = RunPackage(dir, reports, dir.Child(L"Tessaro"));
    ASSERT_GE(codes.size(), row.tail.size());
    EXPECT_EQ(std::vector<int>(codes.end() - static_cast<long>(row.tail.size()), codes.end()), row.tail);
    EXPECT_EQ(codes[0], IST_CODE_START);
    int finals = 0;
    Seen final{};
    for (const Seen& s : reports.All()) {
        if (s.code == IST_CODE_SUCCESS || s.code == IST_CODE_FAIL) {
            ++finals;
            final = s;
        }
    }
    EXPECT_EQ(finals, 1);
    if (row.value >= 0) {
        EXPECT_EQ(final.value, row.value);
    }
    EXPECT_EQ(final.text, row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PackageScripts,
    testing::Values(
        ScriptRow{"fail", "fail", {3005, 2004}, 0.0, L"安装包安装失败"},
        ScriptRow{"error", "error=disk full", {3005, 2004}, 1000.0, L"disk full"},
        // Reports after a final line of a later chunk are not passed on, but the package is read
        // to its end.
        ScriptRow{"after_final", "sleep=10;after=3", {3005, 2003}, 0.0, L""},
        ScriptRow{"final_line_without_feed", "nolf", {3005, 2003}, 0.0, L""},
        ScriptRow{"crash_is_no_success", "crash", {3005, 2004}, -1.0, L""},
        ScriptRow{"exit_code_carried", "exit=3", {3005, 2004}, 3.0, L""},
        ScriptRow{"silent_exit_0", "silent", {2001, 2002, 2003}, 1.0, L""},
        ScriptRow{"split_writes_joined", "split", {2002, 2003}, 0.0, L""},
        ScriptRow{"megabytes_without_feed", "huge=3000000", {3005, 2003}, 0.0, L""},
        ScriptRow{"binary_output", "binary=70000", {3005, 2003}, 0.0, L""},
        ScriptRow{"standard_error_flood", "stderr=3000000", {3005, 2003}, 0.0, L""},
        ScriptRow{"utf8_after_encode", "encode=UTF8", {3009, 2003}, 0.0, L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PackageInstaller, CrashValueIsTheExitCode) {
    // The exit code of abort(): the C runtime's 3 on Windows, 128 + SIGABRT on POSIX.
    TempDir dir;
    Reports reports;
    Script script("crash");
    RunPackage(dir, reports, dir.Child(L"T"));
    const double value = reports.Last().value;
    EXPECT_TRUE(value == 3.0 || value == 134.0) << value;
}

TEST(PackageInstaller, SplitAndEncodedLinesArriveWhole) {
    TempDir dir;
    {
        Reports reports;
        Script script("split");
        RunPackage(dir, reports, dir.Child(L"T"));
        bool half = false;
        for (const Seen& s : reports.All()) half = half || (s.code == IST_CODE_PROGRESS && s.value == 0.5);
        EXPECT_TRUE(half) << "Progress=0.5 was written in two pieces";
    }
    {
        Reports reports;
        Script script("encode=UTF8");
        RunPackage(dir, reports, dir.Child(L"T"));
        bool message = false;
        for (const Seen& s : reports.All()) message = message || (s.code == IST_INFO_MESSAGE && s.text == L"安装中");
        EXPECT_TRUE(message);
    }
}

TEST(PackageInstaller, UnstartablePackages) {
    TempDir dir;
    {
        Reports reports;
        installer::PackageInstaller runner(reports.Callback(), L"\"" + dir.Child(L"missing.exe") + L"\"", L"");
        runner.Start();
        ASSERT_TRUE(reports.WaitFor({IST_CODE_FAIL}));
        EXPECT_THAT(reports.Codes(), ElementsAre(2001, 2002, 2004));
        EXPECT_EQ(reports.Last().value, 2.0);
    }
    {
        Reports reports;
        installer::PackageInstaller runner(reports.Callback(), L"\"" + PlacePackage(dir) + L"\"", std::wstring(1000, L'd'));
        runner.Start();
        ASSERT_TRUE(reports.WaitFor({IST_CODE_FAIL}));
        EXPECT_THAT(reports.Codes(), ElementsAre(2001, 2002, 2004)) << "a command line over 1023 characters";
        EXPECT_EQ(reports.Last().value, 2.0);
    }
}

// ---------------------------------------------------------------- the uninstaller runner

std::wstring InstallReference(const TempDir& dir) {
    Reports reports;
    const std::wstring target = dir.Child(L"Installed Tessaro");
    RunPackage(dir, reports, target);
    return target;
}

TEST(UnInstaller, RemovesTheReferenceProduct) {
    TempDir dir;
    const std::wstring target = InstallReference(dir);
    Reports reports;
    const std::wstring copy = dir.Child(L"Tessaro_un_asa.exe");
    ASSERT_TRUE(platform::CopyFileReplacing(Join(target, L"uninst.ep"), copy));
    {
        installer::UnInstaller runner(reports.Callback(), copy, target);
        runner.Start();
    }
    EXPECT_THAT(reports.Codes(), ElementsAre(5002, 5002, 5002, 5003));
    EXPECT_EQ(reports.Last().value, 0.0);
    EXPECT_FALSE(platform::PathExists(Join(target, L"Tessaro.exe")));
    EXPECT_FALSE(platform::PathExists(target));
}

TEST(UnInstaller, ScriptedEnds) {
    struct Row {
        const char* name;
        const char* script;
        std::vector<int> codes;
        double value;
        const wchar_t* text;
    } rows[] = {
        {"reports after success are passed on", "after=1", {5002, 5002, 5002, 5003, 5002}, 1.0, L""},
        {"fail", "fail", {5002, 5002, 5002, 5005}, 0.0, L"安装包卸载失败"},
        {"error", "error=locked", {5002, 5002, 5002, 5005}, 0.0, L"locked"},
        {"silent", "silent", {5002, 5003}, 1.0, L""},
        {"exit code", "exit=5", {5002, 5002, 5002, 5005}, 5.0, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        Script script(row.script);
        Reports reports;
        {
            installer::UnInstaller runner(reports.Callback(), ReferenceUninstaller(), dir.Child(L"T"));
            runner.Start();
        }
        EXPECT_EQ(reports.Codes(), row.codes);
        EXPECT_EQ(reports.Last().value, row.value);
        EXPECT_EQ(reports.Last().text, row.text);
    }
}

TEST(UnInstaller, MissingFileIsTheOnlyReport) {
    TempDir dir;
    Reports reports;
    {
        installer::UnInstaller runner(reports.Callback(), dir.Child(L"none.exe"), dir.path());
        runner.Start();
    }
    ASSERT_EQ(reports.All().size(), 1u);
    EXPECT_EQ(reports.Last().code, UNIST_CODE_FAIL);
    EXPECT_EQ(reports.Last().value, 1.0);
    EXPECT_EQ(reports.Last().text, L"可执行卸载文件不存在");
}

// ---------------------------------------------------------------- the orchestrator

std::string SetupUrl() { return PackageServers::Get().nginx + "/software/TessaroSetup.exe"; }

TEST(CDownloadInstaller, InstallsEndToEnd) {
    TempDir dir;
    const std::wstring target = Join(dir.path(), L"new") + platform::kPathSeparator + L"Tessaro";
    Reports reports;
    auto orchestrator = std::make_unique<installer::CDownloadInstaller>(reports.Callback(), L"", L"", L"", true, true, true);
    orchestrator->SetInstallParams(platform::Utf8ToWide(SetupUrl()), L"", target, false, false, false, true);
    EXPECT_EQ(orchestrator->PackagePath(), Join(target, L"__Package_Tessaro.exe"));
    orchestrator->Start();
    ASSERT_TRUE(reports.WaitFor({IST_CODE_SUCCESS, IST_CODE_FAIL, DL_CODE_FAIL}));
    auto codes = reports.Codes();
    codes.erase(std::remove(codes.begin(), codes.end(), DL_CODE_PROGRESS), codes.end());
    // The window sees the download's success before the package runner's start.
    EXPECT_THAT(codes, ElementsAre(1001, 1003, 2001, 2002, 2002, 2002, 2002, 3000, 3001, 3003, 3005, 2003));
    EXPECT_TRUE(platform::PathExists(Join(target, L"Tessaro.exe")));
    // The deletion follows the report on the runner's thread: destroying the orchestrator waits
    // for it.
    orchestrator.reset();
    EXPECT_FALSE(platform::PathExists(Join(target, L"__Package_Tessaro.exe")));
}

TEST(CDownloadInstaller, UninstallsTheOldCopyFirst) {
    TempDir dir;
    const std::wstring target = InstallReference(dir);
    Reports reports;
    std::vector<int> codesAtDownloadStart;
    {
        installer::CDownloadInstaller orchestrator(reports.Callback(), L"", L"", L"", true, true, true);
        orchestrator.SetInstallParams(platform::Utf8ToWide(SetupUrl()), Join(target, L"uninst.ep"), target, false,
                                      false, false, true);
        orchestrator.Start();
        ASSERT_TRUE(reports.WaitFor({IST_CODE_SUCCESS, IST_CODE_FAIL, DL_CODE_FAIL, UNIST_CODE_FAIL, UNIST_CODE_ERROR}));
    }
    const auto codes = reports.Codes();
    const auto download = std::find(codes.begin(), codes.end(), DL_CODE_START);
    ASSERT_NE(download, codes.end());
    EXPECT_EQ(*(download - 1), UNIST_CODE_SUCCESS) << "only the uninstaller's success starts the download";
    EXPECT_EQ(codes.front(), UNIST_CODE_PROGRESS);
    EXPECT_EQ(codes.back(), IST_CODE_SUCCESS);
    EXPECT_TRUE(platform::PathExists(Join(installer::CDownloadInstaller::TempFolder(), L"Tessaro_un_asa.exe")));
}

TEST(CDownloadInstaller, FailedUninstallStopsTheInstallation) {
    TempDir dir;
    const std::wstring target = InstallReference(dir);
    Reports reports;
    {
        Script script("fail");
        installer::CDownloadInstaller orchestrator(reports.Callback(), L"", L"", L"", true, true, true);
        orchestrator.SetInstallParams(platform::Utf8ToWide(SetupUrl()), Join(target, L"uninst.ep"), target, false,
                                      false, false, true);
        orchestrator.Start();
        ASSERT_TRUE(reports.WaitFor({UNIST_CODE_ERROR}));
    }
    const auto codes = reports.Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), DL_CODE_START), 0);
    EXPECT_EQ(codes.back(), UNIST_CODE_ERROR);
}

TEST(CDownloadInstaller, RetryInAnotherDirectoryReusesTheRunnersAndCleansUp) {
    TempDir dir;
    Reports reports;
    const std::wstring first = dir.Child(L"first");
    const std::wstring second = dir.Child(L"second");
    auto orchestrator = std::make_unique<installer::CDownloadInstaller>(reports.Callback(), L"", L"", L"", true, true, true);
    {
        Script script("fail");
        orchestrator->SetInstallParams(platform::Utf8ToWide(SetupUrl()), L"", first, false, false, false, true);
        orchestrator->Start();
        ASSERT_TRUE(reports.WaitFor({IST_CODE_FAIL}));
    }
    const std::wstring firstPackage = orchestrator->PackagePath();
    orchestrator->SetInstallParams(platform::Utf8ToWide(SetupUrl()), L"", second, false, false, false, true);
    orchestrator->Start();
    ASSERT_TRUE(reports.WaitFor({IST_CODE_SUCCESS}));
    orchestrator.reset();
    // The same downloader and package path: the package lands in the first folder, the product
    // in the second, and the deletion after success finds the package through the last path.
    EXPECT_TRUE(platform::PathExists(Join(second, L"Tessaro.exe")));
    EXPECT_FALSE(platform::PathExists(firstPackage));
}

}  // namespace
