#include <gtest/gtest.h>

#include <cwctype>
#include <set>

#include "platform/command_line.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/system_info.h"
#include "support/capture_log.h"
#include "support/temp_dir.h"
#include "utils/network_result.h"
#include "utils/system_checks.h"

namespace {

struct NetworkRow {
    const char* name;
    platform::Connectivity said;
    std::uint32_t result;
    const wchar_t* logged;  // a fragment of the log line, or nullptr for none
};

TEST(CheckNetwork, ComposesFlagsAndVerdict) {
    const NetworkRow rows[] = {
        {"cannot be asked", {false, 0, false}, 0, nullptr},
        {"internet", {true, 0x60, true}, 0x60, nullptr},
        {"no adapters", {true, 0, false}, 65536, L"GetConnectivity 0"},
        {"local only", {true, 0x22, false}, (2u << 16) + 0x22, L"get_IsConnectedToInternet:0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing_support::CaptureLog capture;
        EXPECT_EQ(Utils::NetworkResultOf(row.said), row.result);
        const std::wstring text = capture.Text();
        if (row.logged) {
            EXPECT_NE(text.find(L"(Utils::NetworkResultOf)"), std::wstring::npos);
            EXPECT_NE(text.find(row.logged), std::wstring::npos);
        } else {
            EXPECT_EQ(text, L"");
        }
        EXPECT_EQ(row.result < 65536, row.said.internet || !row.said.asked) << "usable network rule";
    }
}

TEST(HardDiskManager, FillsCountersForAnExistingFolder) {
    testing_support::TempDir dir;
    Utils::HardDiskManager disk;
    ASSERT_TRUE(disk.CheckFreeSpace(dir.path()));
    EXPECT_GT(disk.totalBytes, 0u);
    EXPECT_LE(disk.freeBytesAvailable, disk.totalBytes);
    EXPECT_LE(disk.totalFreeBytes, disk.totalBytes);
}

TEST(HardDiskManager, FailureLogsAndLeavesCounters) {
    testing_support::TempDir dir;
    Utils::HardDiskManager disk;
    disk.freeBytesAvailable = 1;
    disk.totalBytes = 2;
    disk.totalFreeBytes = 3;
    testing_support::CaptureLog capture;
    EXPECT_FALSE(disk.CheckFreeSpace(dir.Child(L"missing") + platform::kPathSeparator + L"deeper"));
    EXPECT_EQ(disk.freeBytesAvailable, 1u);
    EXPECT_EQ(disk.totalBytes, 2u);
    EXPECT_EQ(disk.totalFreeBytes, 3u);
    const std::wstring text = capture.Text();
    EXPECT_NE(text.find(L"(Utils::HardDiskManager::CheckFreeSpace)"), std::wstring::npos);
    EXPECT_NE(text.find(L"HardDiskManager::CheckFreeSpace FAIL code="), std::wstring::npos);
    EXPECT_EQ(text.find(L"code=0\r\n"), std::wstring::npos) << "the system error code is carried";
}

TEST(FindProcessByName, FindsThisProgramExactly) {
    const std::wstring self(platform::FileNameOf(platform::ModuleFilePath()));
    ASSERT_FALSE(self.empty());
    // Other copies of this test program may run in parallel, so any of them is a right answer.
    const std::uint32_t found = Utils::FindProcessByName(self);
    EXPECT_NE(found, 0u);
    bool selfListed = false;
    for (const auto& entry : platform::ListProcesses()) {
        selfListed = selfListed || (entry.pid == platform::CurrentProcessId() && entry.exeName == self);
    }
    EXPECT_TRUE(selfListed);
    std::wstring otherCase = self;
    for (wchar_t& c : otherCase) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    EXPECT_EQ(Utils::FindProcessByName(otherCase), 0u) << "the comparison is case-sensitive";
    EXPECT_EQ(Utils::FindProcessByName(L"Tessaro-no-such-program.exe"), 0u);
    EXPECT_EQ(Utils::FindProcessByName(L""), 0u);
}

TEST(NewGuidText, ThirtyTwoHexDigitsInTheProductsCase) {
    std::set<std::wstring> seen;
    for (int i = 0; i < 64; ++i) {
        const std::wstring g = Utils::NewGuidText();
        ASSERT_EQ(g.size(), 32u);
        for (size_t k = 0; k < g.size(); ++k) {
            const wchar_t c = g[k];
            const bool digit = c >= L'0' && c <= L'9';
            // The third group (characters 12 to 15) is lower case, every other letter upper case.
            if (k >= 12 && k < 16) {
                EXPECT_TRUE(digit || (c >= L'a' && c <= L'f')) << k;
            } else {
                EXPECT_TRUE(digit || (c >= L'A' && c <= L'F')) << k;
            }
        }
        seen.insert(g);
    }
    EXPECT_EQ(seen.size(), 64u);
}

class CreateDirectoryTreeTest : public testing::Test {
protected:
    std::wstring Path(std::initializer_list<std::wstring> parts) const {
        std::wstring p = dir_.path();
        for (const auto& part : parts) p += platform::kPathSeparator + part;
        return p;
    }
    testing_support::TempDir dir_;
};

TEST_F(CreateDirectoryTreeTest, CreatesMissingParents) {
    const std::wstring deep = Path({L"a", L"b", L"c"});
    EXPECT_TRUE(Utils::CreateDirectoryTree(deep));
    EXPECT_TRUE(platform::IsDirectory(deep));
    EXPECT_TRUE(Utils::CreateDirectoryTree(deep)) << "existing tree";
    const std::wstring trailing = Path({L"x", L"y", L""});
    EXPECT_TRUE(Utils::CreateDirectoryTree(trailing));
    EXPECT_TRUE(platform::IsDirectory(Path({L"x", L"y"})));
    // Both separators are accepted.
    EXPECT_TRUE(Utils::CreateDirectoryTree(dir_.path() + L"/m\\n"));
    EXPECT_TRUE(platform::IsDirectory(Path({L"m", L"n"})));
}

TEST_F(CreateDirectoryTreeTest, RefusesPathsThroughOrOntoAFile) {
    dir_.WriteFile(L"file", "x");
    EXPECT_FALSE(Utils::CreateDirectoryTree(Path({L"file", L"sub"})));
    EXPECT_FALSE(platform::PathExists(Path({L"file", L"sub"})));
    EXPECT_FALSE(Utils::CreateDirectoryTree(Path({L"file"}))) << "a file is not the directory asked for";
}

TEST_F(CreateDirectoryTreeTest, RefusesOverLongPathsAndCreatesNothing) {
    std::wstring longPath = dir_.path();
    while (longPath.size() <= 260) longPath += platform::kPathSeparator + std::wstring(20, L'd');
    EXPECT_FALSE(Utils::CreateDirectoryTree(longPath));
    EXPECT_FALSE(platform::PathExists(Path({std::wstring(20, L'd')})));
    // Exactly 260 characters is still allowed.
    std::wstring edge = dir_.path() + platform::kPathSeparator;
    edge += std::wstring(260 - edge.size(), L'e');
    if (edge.size() - dir_.path().size() - 1 <= 255) {  // one name may hold at most 255 characters
        EXPECT_TRUE(Utils::CreateDirectoryTree(edge));
    }
}

TEST(CreateDirectoryTree, RefusesEmptyPath) { EXPECT_FALSE(Utils::CreateDirectoryTree(L"")); }

}  // namespace
