#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "utils/system_checks.h"

namespace {

// Two independent questions to the system about the same fact must agree.
TEST(AccountsWin32, ElevatedAdminAgreesWithIsUserAnAdmin) {
    EXPECT_EQ(Utils::IsProcessElevatedAdmin(), IsUserAnAdmin() != FALSE);
}

}  // namespace
