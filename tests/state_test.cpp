#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "config/installer_config.h"
#include "platform/environment.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "state/install_state.h"
#include "support/host.h"
#include "support/temp_dir.h"

namespace {

using testing_support::TempDir;

std::wstring Join(const std::wstring& a, const std::wstring& b) { return a + platform::kPathSeparator + b; }

// Points the user's folders (and, on POSIX, the registry file) into a temporary folder.
class StateTest : public testing::Test {
protected:
    void SetUp() override {
        testing_support::SetEnvironment("APPDATA", platform::WideToUtf8(dir_.Child(L"AppData")));
        testing_support::SetEnvironment("XDG_CONFIG_HOME", platform::WideToUtf8(dir_.Child(L"config")));
    }
    void TearDown() override {
        testing_support::SetEnvironment("APPDATA", "");
        testing_support::SetEnvironment("XDG_CONFIG_HOME", "");
    }
    TempDir dir_;
};

TEST_F(StateTest, ProfileWritesFollowTheProfileRules) {
    struct Row {
        const char* name;
        std::string before;
        std::vector<std::pair<std::wstring, std::wstring>> reads;  // key in [Install] -> value after
    } rows[] = {
        {"new file", "", {{L"AppName", L"Tessaro"}}},
        {"key replaced whatever its case", "[Install]\r\nappname=Old\r\nOther=1\r\n", {{L"AppName", L"Tessaro"}, {L"Other", L"1"}}},
        {"key added to its section", "[Install]\r\nOther=1\r\n[Next]\r\nAppName=no\r\n", {{L"AppName", L"Tessaro"}, {L"Other", L"1"}}},
        {"section added", "[Uninstall]\r\nIsOverride=false\r\n", {{L"AppName", L"Tessaro"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring file = dir_.WriteFile(L"set.ini", row.before);
        ASSERT_TRUE(platform::WriteProfileText(file, L"Install", L"AppName", L"Tessaro"));
        for (const auto& [key, value] : row.reads) {
            EXPECT_EQ(platform::ReadProfileString(file, L"Install", key, L"", 260), value);
        }
        if (row.before.find("Uninstall") != std::string::npos) {
            EXPECT_EQ(platform::ReadProfileString(file, L"Uninstall", L"IsOverride", L"", 260), L"false");
        }
        if (row.before.find("[Next]") != std::string::npos) {
            EXPECT_EQ(platform::ReadProfileString(file, L"Next", L"AppName", L"", 260), L"no");
        }
    }
    // Non-ASCII text survives a round trip.
    const std::wstring file = dir_.Child(L"u.ini");
    ASSERT_TRUE(platform::WriteProfileText(file, L"Install", L"Path", L"D:\\安装"));
    if (platform::kPathSeparator == L'/' || platform::WideToAnsi(L"安") != "?") {
        EXPECT_EQ(platform::ReadProfileString(file, L"Install", L"Path", L"", 260), L"D:\\安装");
    }
}

TEST_F(StateTest, RegistryRoundTrip) {
    const std::wstring key = L"Software\\KorvelSoft\\TessaroTest";
    EXPECT_FALSE(platform::ReadUserRegistryString(key, L"Missing-" + dir_.path().substr(dir_.path().size() - 8)));
    ASSERT_TRUE(platform::WriteUserRegistryString(key, L"Value", L"C:\\Program Files\\X"));
    EXPECT_EQ(platform::ReadUserRegistryString(key, L"Value"), L"C:\\Program Files\\X");
    ASSERT_TRUE(platform::WriteUserRegistryString(key, L"Value", L""));
    EXPECT_EQ(platform::ReadUserRegistryString(key, L"Value"), L"");
}

TEST_F(StateTest, LoadAndSaveTheRegistryRecord) {
    const std::wstring installDir = dir_.Child(L"Apps Tessaro");
    ASSERT_TRUE(platform::WriteUserRegistryString(state::kRegistryKey, L"UnInstallEp", L"old"));
    // No uninstaller in the folder: only the folder is recorded.
    state::SaveInstallState(installDir, L"");
    state::InstallState s;
    state::LoadInstallState(s);
    EXPECT_EQ(s.existingInstallDir, installDir);
    EXPECT_EQ(s.existingUninstaller, L"old");

    dir_.WriteFile(L"uninst-copy.ep", "x");
    state::SaveInstallState(installDir, dir_.Child(L"uninst-copy.ep"));
    state::LoadInstallState(s);
    EXPECT_EQ(s.existingUninstaller, dir_.Child(L"uninst-copy.ep"));

    // No uninstaller recorded: it is assumed in the installation folder.
    ASSERT_TRUE(platform::WriteUserRegistryString(state::kRegistryKey, L"UnInstallEp", L""));
    state::LoadInstallState(s);
    EXPECT_EQ(s.existingUninstaller, Join(installDir, L"uninst.ep"));
}

TEST_F(StateTest, DefaultInstallDirectory) {
    state::InstallState s;
    // An existing installation whose uninstaller is there wins.
    s.existingInstallDir = dir_.Child(L"Existing");
    s.existingUninstaller = dir_.WriteFile(L"uninst.ep", "x");
    EXPECT_EQ(state::GetDefaultInstallDir(s), s.existingInstallDir);

    // Otherwise by account.
    s.existingUninstaller = dir_.Child(L"gone.ep");
    const std::wstring chosen = state::GetDefaultInstallDir(s);
    if (s.consoleUserIsAdmin && s.processIsAdmin) {
        EXPECT_EQ(chosen, Join(Join(dir_.Child(L"AppData"), L"korvel"), L"Tessaro"));
    } else {
        EXPECT_EQ(chosen, Join(platform::ProgramFilesX86Folder(), L"Tessaro"));
    }
    // Without APPDATA an administrator gets the program files folder too.
    testing_support::SetEnvironment("APPDATA", "");
    EXPECT_EQ(state::GetDefaultInstallDir(s), Join(platform::ProgramFilesX86Folder(), L"Tessaro"));
}

TEST_F(StateTest, InstallDirectoryFromTheEditField) {
    state::InstallState s;
    const std::wstring defaultDir = state::GetDefaultInstallDir(s);
    EXPECT_EQ(state::GetInstallDirFromEdit(s, defaultDir), defaultDir);
    EXPECT_EQ(state::GetInstallDirFromEdit(s, defaultDir + platform::kPathSeparator), defaultDir);
    EXPECT_EQ(state::GetInstallDirFromEdit(s, dir_.Child(L"Soft")), Join(dir_.Child(L"Soft"), L"Tessaro"));
    EXPECT_EQ(state::GetInstallDirFromEdit(s, dir_.Child(L"Soft") + platform::kPathSeparator),
              Join(dir_.Child(L"Soft"), L"Tessaro"));
}

TEST_F(StateTest, OverrideKeepsTheOldUninstallerFromRunning) {
    state::InstallState s;
    s.existingInstallDir = dir_.path();
    struct Row {
        const char* ini;
        bool skip;
    } rows[] = {{"[Uninstall]\r\nIsOverride=false\r\n", true},
                {"[Uninstall]\r\nIsOverride=FALSE\r\n", false},
                {"[Uninstall]\r\n", false},
                {"[Uninstall]\r\nIsOverride=true\r\n", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ini);
        dir_.WriteFile(L"set.ini", row.ini);
        EXPECT_EQ(state::SkipUninstallForOverride(s, dir_.path()), row.skip);
        EXPECT_EQ(state::SkipUninstallForOverride(s, dir_.path() + platform::kPathSeparator), row.skip);
    }
    dir_.WriteFile(L"set.ini", "[Uninstall]\r\nIsOverride=false\r\n");
    EXPECT_FALSE(state::SkipUninstallForOverride(s, dir_.Child(L"other")));
}

TEST_F(StateTest, HandOverFiles) {
    const std::wstring installDir = dir_.Child(L"Tessaro");
    ASSERT_TRUE(platform::MakeDirectory(installDir));
    state::WriteHandOverFile(installDir);
    const std::wstring setIni = Join(installDir, L"set.ini");
    auto read = [](const std::wstring& file, const wchar_t* section, const wchar_t* key) {
        return platform::ReadProfileString(file, section, key, L"", 260);
    };
    EXPECT_EQ(read(setIni, L"Install", L"APPStore"), config::TheInstallerConfig().ExeName);
    EXPECT_EQ(read(setIni, L"Install", L"AppName"), L"Tessaro");
    const std::wstring firstId = read(setIni, L"Install", L"DeviceID");
    EXPECT_EQ(firstId.size(), 32u);
    const std::wstring statisticsIni = Join(Join(Join(dir_.Child(L"AppData"), L"KorvelData"), L"Tessaro"), L"KVAnalytics.ini");
    EXPECT_EQ(read(setIni, L"Install", L"KVAnalyticsIni"), statisticsIni);
    const std::string stamp = platform::WideToUtf8(read(statisticsIni, L"Init", L"UpdateTime"));
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << stamp;
    // Every call makes a new device id.
    state::WriteHandOverFile(installDir);
    EXPECT_NE(read(setIni, L"Install", L"DeviceID"), firstId);
}

TEST_F(StateTest, DataFolderThatCannotBeCreated) {
    // A file where the data folder would go: set.ini gets no statistics ini.
    dir_.WriteFile(L"AppData", "not a folder");
    const std::wstring installDir = dir_.Child(L"Tessaro");
    ASSERT_TRUE(platform::MakeDirectory(installDir));
    state::WriteHandOverFile(installDir);
    const std::wstring setIni = Join(installDir, L"set.ini");
    EXPECT_EQ(platform::ReadProfileString(setIni, L"Install", L"AppName", L"", 260), L"Tessaro");
    EXPECT_EQ(platform::ReadProfileString(setIni, L"Install", L"KVAnalyticsIni", L"none", 260), L"none");
}

}  // namespace
