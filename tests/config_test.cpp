#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "build_config.h"
#include "config/installer_config.h"
#include "config/number_text.h"
#include "config/windows_version.h"
#include "platform/system_info.h"
#include "support/temp_dir.h"

namespace {

using config::InstallerConfig;

// Builds the record the way the installer does, from an optional file and a command line.
InstallerConfig Build(const std::optional<std::string>& file, std::vector<std::wstring> options = {}) {
    testing_support::TempDir dir;
    if (file) dir.WriteFile(config::kConfigFileName, *file);
    InstallerConfig c;
    c.LoadConfigFile(dir.Child(L"TessaroSetup.exe"));
    options.insert(options.begin(), dir.Child(L"TessaroSetup.exe"));
    c.ApplyCommandLine(options);
    return c;
}

class NtVersionScope {
public:
    explicit NtVersionScope(platform::NtVersion v) { platform::testing::OverrideNtVersion(v); }
    ~NtVersionScope() { platform::testing::OverrideNtVersion(std::nullopt); }
};

TEST(InstallerConfig, DefaultsWithoutFileOrOptions) {
    const InstallerConfig c = Build(std::nullopt);
    EXPECT_EQ(c.AppName, L"Tessaro");
    EXPECT_EQ(c.AppVersion, L"1.7.9");
    EXPECT_EQ(c.ExeName, L"TessaroSetup.exe");
    EXPECT_EQ(c.DlAppNameSuffix, L".downloader");
    EXPECT_EQ(c.DlAppVersion, L"");
    EXPECT_EQ(c.InstCmd, L"");
    EXPECT_EQ(c.DownloadUrl, TESSARO_DEFAULT_DOWNLOAD_URL);
    EXPECT_EQ(c.DownloadType, 1);
    EXPECT_FALSE(c.IsCheckNet);
    EXPECT_TRUE(c.IsEnableAppStats);
    EXPECT_EQ(c.DownloadScale, 0.7);
    EXPECT_TRUE(c.CurlAvailable);
    EXPECT_EQ(c.GetAbTestGroup(), L"IN");
}

TEST(InstallerConfig, EmptySectionTurnsTheNetworkCheckOn) {
    for (const char* file : {"[Install]\r\n", "", "junk\r\n\x01\x02\r\n[Other]\r\nIsCheckNet=false\r\n"}) {
        SCOPED_TRACE(file);
        const InstallerConfig c = Build(std::string(file));
        EXPECT_TRUE(c.IsCheckNet);
        EXPECT_EQ(c.DownloadType, 1);
        EXPECT_TRUE(c.IsEnableAppStats);
        EXPECT_EQ(c.DownloadScale, 0.7);
        EXPECT_EQ(c.DlAppNameSuffix, L".downloader");
        EXPECT_EQ(c.DownloadUrl, TESSARO_DEFAULT_DOWNLOAD_URL);
    }
}

TEST(InstallerConfig, FileValuesAreRead) {
    const InstallerConfig c = Build(
        "[Install]\r\nDownloadUrl=http://127.0.0.1:8080/software/291\r\nDownloadType=3\r\nIsCheckNet=false\r\n"
        "IsEnableAppStats=false\r\nDlAppNameSuffix=.dl\r\nm_DlAppVersion=2.0\r\nDownloadScale=0.25\r\n"
        "InstCmd=-x=1\r\n");
    EXPECT_EQ(c.DownloadUrl, L"http://127.0.0.1:8080/software/291");
    EXPECT_EQ(c.DownloadType, 3);
    EXPECT_FALSE(c.IsCheckNet);
    EXPECT_FALSE(c.IsEnableAppStats);
    EXPECT_EQ(c.DlAppNameSuffix, L".dl");
    EXPECT_EQ(c.DlAppVersion, L"2.0");
    EXPECT_EQ(c.DownloadScale, 0.25);
    EXPECT_EQ(c.InstCmd, L"-x=1");
}

struct FileRow {
    const char* name;
    std::string line;
    int32_t type;
    bool stats;
    double scale;
};

TEST(InstallerConfig, FileConversions) {
    const FileRow rows[] = {
        {"boolean other case", "IsEnableAppStats=TRUE", 1, false, 0.7},
        {"boolean 1", "IsEnableAppStats=1", 1, false, 0.7},
        {"type text", "DownloadType=abc", 0, true, 0.7},
        {"type trailing text", "DownloadType= 3xyz", 3, true, 0.7},
        {"type negative", "DownloadType=-2", -2, true, 0.7},
        {"type empty", "DownloadType=", 1, true, 0.7},
        {"type eleven digits", "DownloadType=12345678901", 0, true, 0.7},
        {"scale text", "DownloadScale=abc", 1, true, 0.0},
        {"scale empty", "DownloadScale=", 1, true, 0.0},
        {"scale trailing text", "DownloadScale=0.5x", 1, true, 0.5},
        {"scale out of range", "DownloadScale=1e999", 1, true, 0.0},
        {"scale nan keeps value", "DownloadScale=nan", 1, true, 0.7},
        {"scale inf keeps value", "DownloadScale=inf", 1, true, 0.7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const InstallerConfig c = Build("[Install]\r\n" + row.line + "\r\n");
        EXPECT_EQ(c.DownloadType, row.type);
        EXPECT_EQ(c.IsEnableAppStats, row.stats);
        EXPECT_EQ(c.DownloadScale, row.scale);
        EXPECT_TRUE(std::isfinite(c.DownloadScale));
    }
}

TEST(InstallerConfig, LongAndNonAsciiFileValues) {
    const std::string utf16 = [] {
        std::string b = "\xFF\xFE";
        for (wchar_t ch : std::wstring(L"[Install]\r\nInstCmd=-name=安装\r\nDlAppNameSuffix=") + std::wstring(400, L'z') + L"\r\n") {
            b.push_back(static_cast<char>(ch & 0xFF));
            b.push_back(static_cast<char>(ch >> 8));
        }
        return b;
    }();
    const InstallerConfig c = Build(utf16);
    EXPECT_EQ(c.InstCmd, L"-name=安装");
    EXPECT_EQ(c.DlAppNameSuffix, std::wstring(259, L'z'));
}

struct OptionRow {
    const char* name;
    std::string file;
    std::vector<std::wstring> options;
    int32_t type;
    double scale;
    bool checkNet;
    std::wstring instCmd;
};

TEST(InstallerConfig, CommandLineOptions) {
    const OptionRow rows[] = {
        {"option overrides file", "[Install]\r\nDownloadType=2\r\n", {L"-downloadtype=3"}, 3, 0.7, true, L""},
        {"first occurrence wins", "", {L"-downloadtype=3", L"-downloadtype=2"}, 3, 0.7, true, L""},
        {"value keeps '='", "", {L"-instcmd=/a=b"}, 1, 0.7, true, L"/a=b"},
        {"other case ignored", "", {L"-DownloadType=3", L"-IsCheckNet=false"}, 1, 0.7, true, L""},
        {"no '=' empties the value", "", {L"-ischecknet", L"-downloadtype", L"-instcmd"}, 0, 0.7, false, L""},
        {"boolean other case", "", {L"-ischecknet=True"}, 1, 0.7, false, L""},
        {"type text", "", {L"-downloadtype=x3"}, 0, 0.7, true, L""},
        {"type blanks and sign", "", {L"-downloadtype= +3rd"}, 3, 0.7, true, L""},
        {"type eleven digits", "", {L"-downloadtype=99999999999"}, 0, 0.7, true, L""},
        {"scale", "", {L"-downloadscale=0.4"}, 1, 0.4, true, L""},
        {"scale text keeps value", "", {L"-downloadscale=abc"}, 1, 0.7, true, L""},
        {"scale nan keeps value", "", {L"-downloadscale=nan"}, 1, 0.7, true, L""},
        {"scale out of range keeps value", "", {L"-downloadscale=1e999"}, 1, 0.7, true, L""},
        {"positional ignored", "", {L"install", L"-", L"--x=1"}, 1, 0.7, true, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const InstallerConfig c = Build(row.file, row.options);
        EXPECT_EQ(c.DownloadType, row.type);
        EXPECT_EQ(c.DownloadScale, row.scale);
        EXPECT_EQ(c.IsCheckNet, row.checkNet);
        EXPECT_EQ(c.InstCmd, row.instCmd);
    }
}

TEST(InstallerConfig, IdentityOptions) {
    const InstallerConfig c = Build(std::nullopt, {L"-dlappnamesuffix=.x", L"-dlappversion=3.1", L"-isenableappstats=true",
                                                   L"-downloadurl=", L"-ischecknet=true"});
    EXPECT_EQ(c.DlAppNameSuffix, L".x");
    EXPECT_EQ(c.DlAppVersion, L"3.1");
    EXPECT_TRUE(c.IsEnableAppStats);
    EXPECT_TRUE(c.IsCheckNet);
    EXPECT_EQ(c.DownloadUrl, L"");
}

TEST(InstallerConfig, StatsOffInFileOnOnCommandLine) {
    const InstallerConfig c = Build("[Install]\r\nIsEnableAppStats=false\r\n", {L"-isenableappstats=true"});
    EXPECT_TRUE(c.IsEnableAppStats);
}

struct VersionRow {
    platform::NtVersion version;
    const wchar_t* text;
};

TEST(WindowsVersionText, FollowsTheTable) {
    const VersionRow rows[] = {
        {{4, 0, 1381, false, true}, L"XP-"},      {{0, 0, 0, false, true}, L"XP-"},
        {{5, 0, 2195, false, true}, L"2K"},       {{5, 1, 2600, false, true}, L"XP"},
        {{5, 2, 3790, false, true}, L"Server 2003"}, {{5, 2, 3790, true, true}, L"Server 2003 R2"},
        {{5, 3, 0, false, true}, L"XP+"},         {{6, 0, 6002, false, true}, L"Vista"},
        {{6, 1, 7601, false, true}, L"7"},        {{6, 2, 9200, false, true}, L"8"},
        {{6, 3, 9600, false, true}, L"8.1"},      {{6, 4, 0, false, true}, L"8.1+"},
        {{10, 0, 22000, false, true}, L"10"},     {{10, 1, 0, false, true}, L"10+"},
        {{7, 0, 1234, false, true}, L"7.0.1234"}, {{11, 2, 0x1ABCD, false, true}, L"11.2.43981"},
        {{10, 0, 19045, false, false}, L"XP-"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.version.major << "." << row.version.minor);
        EXPECT_EQ(config::WindowsVersionText(row.version), row.text);
    }
}

TEST(ResolveRoute, PicksTheRouteByVersion) {
    {
        NtVersionScope win11({10, 0, 22000, false, true});
        EXPECT_EQ(config::GetWindowsVersionName().osName, L"Windows");
        EXPECT_EQ(config::ResolveRoute(L"http://h/dl/${ROUTE}/pkg"), L"http://h/dl/download_silent/pkg");
        EXPECT_EQ(config::ResolveRoute(L"${ROUTE}${ROUTE}/${ROUTE}"), L"download_silentdownload_silent/download_silent");
        EXPECT_EQ(config::ResolveRoute(L"http://h/${ROUT}/x"), L"http://h/${ROUT}/x");
    }
    {
        NtVersionScope xp({5, 1, 2600, false, true});
        EXPECT_EQ(config::ResolveRoute(L"http://h/dl/${ROUTE}/pkg"), L"http://h/dl/download_silent_xp/pkg");
    }
    {
        NtVersionScope unknown({0, 0, 0, false, false});
        EXPECT_EQ(config::ResolveRoute(L"/${ROUTE}"), L"/download_silent_xp");
    }
}

TEST(ResolveRoute, AppliesToFileAndOptions) {
    NtVersionScope xp({5, 1, 2600, false, true});
    EXPECT_EQ(Build("[Install]\r\nDownloadUrl=http://h/${ROUTE}\r\n").DownloadUrl, L"http://h/download_silent_xp");
    EXPECT_EQ(Build(std::nullopt, {L"-downloadurl=http://h/${ROUTE}/${ROUTE}"}).DownloadUrl,
              L"http://h/download_silent_xp/download_silent_xp");
}

TEST(NumberText, ReadsLeadingNumbers) {
    EXPECT_EQ(config::ParseLeadingInt(L"  -12ab"), -12);
    EXPECT_EQ(config::ParseLeadingInt(L"2147483647"), 2147483647);
    EXPECT_EQ(config::ParseLeadingInt(L"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(config::ParseLeadingInt(L"2147483648"), std::nullopt);
    EXPECT_EQ(config::ParseLeadingInt(L"+"), std::nullopt);
    EXPECT_EQ(config::ParseLeadingInt(L""), std::nullopt);
    EXPECT_EQ(config::ParseLeadingDouble(L" 1e-2x"), 0.01);
    EXPECT_EQ(config::ParseLeadingDouble(L"-"), std::nullopt);
    EXPECT_EQ(config::ParseLeadingDouble(L"1e-999"), std::nullopt);
}

}  // namespace
