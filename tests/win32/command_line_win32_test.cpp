#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "command_line_rows.h"
#include "platform/command_line.h"

namespace {

std::vector<std::wstring> SystemSplit(const std::wstring& line) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    return args;
}

TEST(SplitCommandLineWin32, MatchesCommandLineToArgvW) {
    for (const auto& row : kSplitRows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SystemSplit(row.line), row.args);
        EXPECT_EQ(platform::SplitCommandLine(row.line), SystemSplit(row.line));
    }
}

}  // namespace
