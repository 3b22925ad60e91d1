#include <gtest/gtest.h>

#include "command_line_rows.h"
#include "platform/command_line.h"

namespace {

TEST(SplitCommandLine, FollowsTheWindowsRules) {
    for (const auto& row : kSplitRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(platform::SplitCommandLine(row.line), row.args);
    }
}

TEST(SplitCommandLine, EmptyLineGivesNothing) { EXPECT_TRUE(platform::SplitCommandLine(L"").empty()); }

TEST(ProcessArguments, StartsWithThisProgram) {
    const auto args = platform::ProcessArguments();
    ASSERT_FALSE(args.empty());
    EXPECT_NE(args[0].find(L"platform_test"), std::wstring::npos);
}

}  // namespace

