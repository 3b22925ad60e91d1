#pragma once

namespace platform {

// Whether this process's effective token is in the local Administrators group (POSIX: euid 0).
bool IsProcessElevatedAdmin();

// Whether the user logged on at the physical console has an administrator account
// (POSIX: the same as IsProcessElevatedAdmin; there is no console session to ask about).
bool IsConsoleUserAdmin();

}  // namespace platform
