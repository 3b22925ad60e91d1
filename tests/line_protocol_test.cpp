#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/installer_config.h"
#include "installer/line_protocol.h"
#include "installer/package_installer.h"
#include "installer/uninstaller.h"
#include "utils/system_checks.h"

namespace {

struct Seen {
    int code;
    double value;
    std::wstring text;
    bool operator==(const Seen& o) const { return code == o.code && value == o.value && text == o.text; }
};

void PrintTo(const Seen& s, std::ostream* os) {
    *os << "{" << s.code << ", " << s.value << ", \"" << std::string(s.text.begin(), s.text.end()) << "\"}";
}

struct Recorder {
    std::vector<Seen> seen;
    Utils::StatusCallback callback() {
        return [this](std::int32_t code, double value, const wchar_t* text) { seen.push_back({code, value, text}); };
    }
};

struct PackageRow {
    const char* name;
    std::wstring chunk;
    std::vector<Seen> reports;
    int result;
};

TEST(PackageLines, FollowTheProtocolTable) {
    const std::wstring longText(772, L'x');
    const PackageRow rows[] = {
        {"progress then success in one chunk", L"Progress=0.5\nState=Success\n", {{2002, 0.5, L""}, {2003, 0.0, L""}}, 1},
        {"error keeps its carriage return", L"Error=disk full\r\n", {{2004, 1000.0, L"disk full\r"}}, 1000},
        {"fail", L"State=Fail\n", {{2004, 0.0, L"安装包安装失败"}}, 1000},
        {"state trimmed", L"State=  Success \r\n", {{2003, 0.0, L""}}, 1},
        {"state lower case ignored", L"State=success\n", {}, 0},
        {"lines after a final line still count", L"State=Success\nMessage=hi\n", {{2003, 0.0, L""}, {3009, 0.0, L"hi"}}, 1},
        {"last final line decides", L"State=Fail\nState=Success\n", {{2004, 0.0, L"安装包安装失败"}, {2003, 0.0, L""}}, 1},
        {"paths", L"InstPath=D:\\X\nExePath=a\nStartExe=b\nUninstExePath=c\nUninstExe=d\nUninstEp=e\nStartUrl=f\n",
         {{3000, 0, L"D:\\X"}, {3001, 0, L"a"}, {3001, 0, L"b"}, {3002, 0, L"c"}, {3002, 0, L"d"}, {3003, 0, L"e"},
          {3004, 0, L"f"}},
         0},
        {"empty text value", L"InstPath=\n", {{3000, 0.0, L""}}, 0},
        {"text over 771 characters", L"Message=" + longText + L"\n", {{3009, 0.0, L""}}, 0},
        {"text of 771 characters", L"Message=" + longText.substr(1) + L"\n", {{3009, 0.0, longText.substr(1)}}, 0},
        {"detentions", L"TopShowDetention=1500\nFinsihCloseDetention=-1\n", {{3007, 1500.0, L""}, {3008, 4294967295.0, L""}}, 0},
        {"startup styles",
         L"StartupStyle=NonStartup\nStartupStyle= AutoStartup\nStartupStyle=UserStartup\nStartupStyle=Later\n",
         {{3005, 0.0, L""}, {3005, 1.0, L""}, {3005, 2.0, L""}, {3005, 0.0, L""}},
         0},
        {"unreadable and out-of-range progress", L"Progress=abc\nProgress=-0.5\nProgress=1.5\n",
         {{2002, 0.0, L""}, {2002, -0.5, L""}, {2002, 1.5, L""}},
         0},
        {"key must start the line", L" Progress=0.5\nprogress=0.5\nProgress 0.5\n", {}, 0},
        {"no final line feed", L"Progress=0.25", {{2002, 0.25, L""}}, 0},
        {"empty lines skipped", L"\n\n\nProgress=0.25\n\n", {{2002, 0.25, L""}}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Recorder r;
        installer::PackageLineState state;
        EXPECT_EQ(installer::ParsePackageLines(row.chunk, state, r.callback()), row.result);
        EXPECT_THAT(r.seen, testing::ElementsAreArray(row.reports));
    }
}

TEST(PackageLines, StateLines) {
    struct Row {
        const wchar_t* line;
        std::uint32_t codePage;
    } encodings[] = {{L"Encode=UTF8\n", 65001}, {L"Encode=ACP\n", 0},     {L"Encode= 936 \n", 936},
                     {L"Encode=abc\n", 0},      {L"Encode=99999999999\n", 0}, {L"Encode=utf8\n", 0}};
    for (const auto& row : encodings) {
        Recorder r;
        installer::PackageLineState state;
        state.codePage = 1252;
        installer::ParsePackageLines(row.line, state, r.callback());
        EXPECT_EQ(state.codePage, row.codePage) << std::string(row.line, row.line + wcslen(row.line));
        EXPECT_TRUE(r.seen.empty());
    }
    Recorder r;
    installer::PackageLineState state;
    installer::ParsePackageLines(L"InstallVersion=2.3.4\n", state, r.callback());
    EXPECT_EQ(state.versionMajor * 10000 + state.versionMinor * 100 + state.versionPatch, 20304);
    installer::ParsePackageLines(L"InstallVersion=5.x.9\n", state, r.callback());
    EXPECT_EQ(state.versionMajor * 10000 + state.versionMinor * 100 + state.versionPatch, 50304)
        << "numbers not read keep their fields";
    EXPECT_TRUE(r.seen.empty());
}

TEST(UninstallerLines, FollowTheirTable) {
    const PackageRow rows[] = {
        {"success then progress", L"State=Success\nProgress=1.0\n", {{5003, 0.0, L""}, {5002, 1.0, L""}}, 1},
        {"error carries 0", L"Error=locked\n", {{5005, 0.0, L"locked"}}, 1000},
        {"fail", L"State=Fail\n", {{5005, 0.0, L"安装包卸载失败"}}, 1000},
        {"package keys ignored", L"InstPath=x\nMessage=y\n", {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Recorder r;
        std::uint32_t codePage = 0;
        EXPECT_EQ(installer::ParseUninstallerLines(row.chunk, codePage, r.callback()), row.result);
        EXPECT_THAT(r.seen, testing::ElementsAreArray(row.reports));
    }
    for (const auto& [line, page] : {std::pair{L"Encode=UTF8\n", 65001u}, {L"Encode=ACP\n", 0u}, {L"Encode=936\n", 0u}}) {
        Recorder r;
        std::uint32_t codePage = 7;
        installer::ParseUninstallerLines(line, codePage, r.callback());
        EXPECT_EQ(codePage, page);
    }
}

TEST(LineAssembler, JoinsSplitLinesAndBoundsMemory) {
    installer::LineAssembler a;
    EXPECT_EQ(a.TakeChunk("Prog", 65001), L"");
    EXPECT_EQ(a.TakeChunk("ress=0.5\nState=Su", 65001), L"Progress=0.5\n");
    EXPECT_EQ(a.TakeChunk("ccess", 65001), L"");
    EXPECT_EQ(a.Finish(65001), L"State=Success");
    EXPECT_EQ(a.Finish(65001), L"");

    // A multi-byte character split across reads arrives whole.
    EXPECT_EQ(a.TakeChunk("Message=\xE5\xAE", 65001), L"");
    EXPECT_EQ(a.TakeChunk("\x89\n", 65001), L"Message=安\n");

    // Zero bytes do not hide the lines after them.
    EXPECT_EQ(a.TakeChunk(std::string("A=1\n\0B=2\n", 9), 65001), std::wstring(L"A=1\n\0B=2\n", 9));

    // Output without line feeds is dropped beyond the limit, up to its next line feed.
    const std::string junk(installer::LineAssembler::kMaxCarried + 10, 'x');
    EXPECT_EQ(a.TakeChunk(junk, 65001), L"");
    EXPECT_EQ(a.TakeChunk("yyy\nProgress=1\n", 65001), L"Progress=1\n");
}

TEST(LineAssembler, DecodesWithTheCodePageOfTheChunk) {
    installer::LineAssembler a;
    // "安装" in code page 936 (GBK), then in UTF-8.
    EXPECT_EQ(a.TakeChunk("Message=\xB0\xB2\xD7\xB0\n", 936), L"Message=安装\n");
    EXPECT_EQ(a.TakeChunk("Message=\xE5\xAE\x89\xE8\xA3\x85\n", 65001), L"Message=安装\n");
}

TEST(PackageCommandLine, IsBuiltExactly) {
    config::TheInstallerConfig().InstCmd.clear();
    installer::PackageInstaller p([](std::int32_t, double, const wchar_t*) {}, L"\"C:\\t\\__Package_Tessaro.exe\"", L"");
    p.dsc = true;
    p.ssc = true;
    p.adminact = true;
    EXPECT_EQ(p.BuildCommandLine(),
              L"\"C:\\t\\__Package_Tessaro.exe\" /S -console=show -version=1.0.0 -adminact=true -authorizationact=true "
              L"-dsc=true -ssc=true");
    p.installDir = L"D:\\Apps\\X Y";
    p.dsc = false;
    p.adminact = false;
    p.authorizationact = false;
    config::TheInstallerConfig().InstCmd = L"-a=1 -b";
    EXPECT_EQ(p.BuildCommandLine(),
              L"\"C:\\t\\__Package_Tessaro.exe\" /S -console=show -version=1.0.0 -adminact=false "
              L"-authorizationact=false -dsc=false -ssc=true -a=1 -b -instdir=\"D:\\Apps\\X Y\" /D=D:\\Apps\\X Y");
    config::TheInstallerConfig().InstCmd.clear();
}

TEST(UninstallerCommandLine, IsBuiltExactly) {
    const std::wstring admin = Utils::IsConsoleUserAdmin() ? L"true" : L"false";
    const std::wstring elevated = Utils::IsProcessElevatedAdmin() ? L"true" : L"false";
    installer::UnInstaller u([](std::int32_t, double, const wchar_t*) {}, L"C:\\T\\Tessaro_un_asa.exe", L"D:\\My Apps\\Tessaro");
    EXPECT_EQ(u.BuildCommandLine(), L"C:\\T\\Tessaro_un_asa.exe /S -adminact=" + admin + L" -authorizationact=" + elevated +
                                        L" -console=show _?=D:\\My Apps\\Tessaro");
    // A program path with blanks is quoted, so the system never tries a shorter program name.
    installer::UnInstaller spaced([](std::int32_t, double, const wchar_t*) {}, L"C:\\Temp Dir\\u.exe", L"D:\\X");
    EXPECT_EQ(spaced.BuildCommandLine().rfind(L"\"C:\\Temp Dir\\u.exe\" /S ", 0), 0u);
}

}  // namespace
