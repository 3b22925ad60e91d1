#include <gtest/gtest.h>

#include <regex>

#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/system_info.h"
#include "platform/text.h"
#include "statistics/device_identity.h"
#include "support/host.h"
#include "support/temp_dir.h"

namespace {

using namespace tracking::korvel;

std::string Narrow(const std::wstring& s) { return platform::WideToUtf8(s); }

TEST(DeviceIdentity, MakeDistinctIdIsAGuidInUpperCase) {
    const std::string id = makeDistinctId();
    EXPECT_TRUE(std::regex_match(id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"))) << id;
    EXPECT_NE(makeDistinctId(), id);
}

TEST(DeviceIdentity, OsVersionTable) {
    struct Row {
        unsigned major, minor, build;
        bool is64, r2, known;
        const char* text;
    } rows[] = {
        {5, 0, 0, false, false, true, "2K"},           {5, 1, 0, false, false, true, "XP"},
        {5, 2, 0, true, false, true, "XP64"},          {5, 2, 0, false, true, true, "Server 2003 R2"},
        {5, 2, 0, false, false, true, "Server 2003"},  {5, 3, 0, false, false, true, "XP+"},
        {6, 0, 0, true, false, true, "Vista64"},       {6, 0, 0, false, false, true, "Vista"},
        {6, 1, 0, true, false, true, "7"},             {6, 1, 0, false, false, true, "7-32"},
        {6, 2, 0, false, false, true, "8-32"},         {6, 3, 0, false, false, true, "8.1"},
        {6, 4, 0, false, false, true, "8.1+"},         {10, 0, 19045, true, false, true, "10"},
        {10, 0, 22000, true, false, true, "11"},       {10, 1, 0, true, false, true, "11+"},
        {7, 0, 1234, true, false, true, "7.0.1234"},   {4, 0, 0, false, false, true, "XP-"},
        {10, 0, 0, true, false, false, "XP-"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(OsVersionText(r.major, r.minor, r.build, r.is64, r.r2, r.known), r.text);
    }
    platform::testing::OverrideNtVersion(platform::NtVersion{10, 0, 19045, false, true});
    EXPECT_EQ(userAgentText(), std::string("Mozilla/5.0(Windows 10; Win") + (is64BitWindows() ? "64;)" : "32;)"));
    platform::testing::OverrideNtVersion(std::nullopt);
}

TEST(DeviceIdentity, LocaleTexts) {
    const LocaleTexts forced = localeTexts("zh_CN");
    EXPECT_EQ(forced.locale, "zh_CN");
    EXPECT_EQ(forced.language, "zh");
    EXPECT_EQ(forced.country, "CN");
    const LocaleTexts user = localeTexts("");
    if (!user.locale.empty()) {
        EXPECT_EQ(user.locale, user.language + "_" + user.country);
    }
}

TEST(DeviceIdentity, FirstRunCreatesTheIdentityFileAndLaterRunsReadIt) {
    testing_support::TempDir dir;
    // The override beside the "executable" names a file in a folder that does not exist yet.
    const std::wstring identityFile = dir.Child(L"deep") + platform::kPathSeparator + L"id.ini";
    dir.WriteFile(L"Set.ini", "[Install]\r\nKVAnalyticsIni=" + Narrow(identityFile) + "\r\n");
    TrackerIdentity first;
    ChooseIdentityFiles(first, "Tessaro.downloader", dir.path());
    EXPECT_EQ(first.identityFile, Narrow(identityFile));
    EXPECT_EQ(first.dataFolder, Narrow(dir.Child(L"deep")) + static_cast<char>(platform::kPathSeparator));
    LoadIdentity(first);
    EXPECT_EQ(first.DistinctId.size(), 36u);
    for (const wchar_t* key : {L"DistinctId", L"PrimaryDistinctId", L"UserId", L"UserVipLevel", L"URL", L"isLogined"}) {
        EXPECT_EQ(platform::ReadProfileString(identityFile, L"Base", key, L"missing", 128) == L"missing", false)
            << Narrow(key);
    }
    EXPECT_EQ(platform::ReadProfileString(identityFile, L"Base", L"isLogined", L"", 128), L"NG");

    TrackerIdentity second;
    second.identityFile = first.identityFile;
    LoadIdentity(second);
    EXPECT_EQ(second.DistinctId, first.DistinctId);

    // No PrimaryDistinctId: it takes the distinct id. "isLogined" must be exactly "OK".
    dir.WriteFile(L"deep" + std::wstring(1, platform::kPathSeparator) + L"id.ini",
                  "[Base]\r\nDistinctId=ABC\r\nisLogined=ok\r\nUserVipLevel=3\r\n");
    TrackerIdentity third;
    third.identityFile = first.identityFile;
    LoadIdentity(third);
    EXPECT_EQ(third.PrimaryDistinctId, "ABC");
    EXPECT_FALSE(third.loggedIn);
    EXPECT_EQ(third.UserVipLevel, 3);
}

TEST(DeviceIdentity, DefaultFolderWithoutOverride) {
    testing_support::TempDir dir;
    TrackerIdentity id;
    ChooseIdentityFiles(id, "Tessaro.downloader", dir.path());
    const std::string sep(1, static_cast<char>(platform::kPathSeparator));
    EXPECT_NE(id.dataFolder.find(sep + "KVLocal" + sep + "Tessaro.downloader" + sep), std::string::npos) << id.dataFolder;
    EXPECT_EQ(id.identityFile, id.dataFolder + "Tessaro.downloader_KVSConfigure.ini");
    EXPECT_TRUE(platform::IsDirectory(platform::Utf8ToWide(id.dataFolder)));
}

}  // namespace
