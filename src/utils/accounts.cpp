#include "platform/accounts.h"
#include "utils/system_checks.h"

namespace Utils {

bool IsProcessElevatedAdmin() { return platform::IsProcessElevatedAdmin(); }
bool IsConsoleUserAdmin() { return platform::IsConsoleUserAdmin(); }

}  // namespace Utils
