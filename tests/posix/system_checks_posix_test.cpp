#include <gtest/gtest.h>

#include "platform/paths.h"
#include "utils/system_checks.h"

namespace {

// Root may write anywhere on disk, so "unwritable" is shown where no one can create folders.
TEST(CreateDirectoryTreePosix, UnwritableParentCreatesNothing) {
    EXPECT_FALSE(Utils::CreateDirectoryTree(L"/proc/tessaro-test/a/b"));
    EXPECT_FALSE(platform::PathExists(L"/proc/tessaro-test"));
}

TEST(HardDiskManagerPosix, MissingFolderFails) {
    Utils::HardDiskManager disk;
    EXPECT_FALSE(disk.CheckFreeSpace(L"/nonexistent-tessaro/x"));
    EXPECT_LT(disk.freeBytesAvailable / Utils::kBytesPerGiB, 1.0);
}

}  // namespace
