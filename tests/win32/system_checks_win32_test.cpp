#include <windows.h>

#include <gtest/gtest.h>

#include "diag/thread.h"
#include "platform/text.h"
#include "support/capture_log.h"
#include "utils/system_checks.h"

namespace {

// A drive letter no prefix maps.
constexpr wchar_t kMissingDrive[] = L"Q:";

TEST(HardDiskManagerWin32, MissingDriveFailsWithTheSystemErrorCode) {
    Utils::HardDiskManager disk;
    testing_support::CaptureLog capture;
    EXPECT_FALSE(disk.CheckFreeSpace(kMissingDrive));
    const DWORD error = GetLastError();
    EXPECT_EQ(disk.freeBytesAvailable, 0u);
    EXPECT_NE(capture.Text().find(L"FAIL code=" + std::to_wstring(error) + L"\r\n"), std::wstring::npos);
    // The window's rule: a failed query counts as less than 1 GB.
    EXPECT_LT(disk.freeBytesAvailable / Utils::kBytesPerGiB, 1.0);
}

TEST(HardDiskManagerWin32, DriveOfTheSystem) {
    Utils::HardDiskManager disk;
    EXPECT_TRUE(disk.CheckFreeSpace(L"C:"));
    EXPECT_GT(disk.totalBytes, 0u);
}

TEST(CreateDirectoryTreeWin32, MissingDriveCreatesNothing) {
    EXPECT_FALSE(Utils::CreateDirectoryTree(std::wstring(kMissingDrive) + L"\\a\\b"));
    EXPECT_TRUE(Utils::CreateDirectoryTree(L"C:\\"));
}

TEST(ThreadWin32, ExitCodeIsZeroWhateverTheBodyReturns) {
    Utils::Thread t(nullptr, L"ABDEF", [](void*) -> std::uint32_t { return 1234; });
    HANDLE h = OpenThread(THREAD_QUERY_INFORMATION | SYNCHRONIZE, FALSE, t.ThreadId());
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(t.Start());
    t.Join();
    ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    DWORD code = 99;
    EXPECT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(h);
}

TEST(AnsiCodePage, IsTheChineseOneUnderTheTestWrapper) {
    if (GetACP() != 936) GTEST_SKIP() << "ANSI code page " << GetACP() << ", not run through cmake/wine-run.sh";
    EXPECT_EQ(platform::WideToAnsi(L"安装"), "\xB0\xB2\xD7\xB0");
    EXPECT_EQ(platform::AnsiToWide("\xB0\xB2\xD7\xB0"), L"安装");
}

}  // namespace
