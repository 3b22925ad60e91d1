#include <unistd.h>

#include "platform/accounts.h"

namespace platform {

bool IsProcessElevatedAdmin() { return geteuid() == 0; }
bool IsConsoleUserAdmin() { return geteuid() == 0; }

}  // namespace platform
