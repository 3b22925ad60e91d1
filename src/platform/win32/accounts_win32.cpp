#include <windows.h>
#include <lm.h>
#include <wtsapi32.h>

#include <string>

#include "platform/accounts.h"

namespace platform {

bool IsProcessElevatedAdmin() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                  0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    const bool asked = CheckTokenMembership(nullptr, administrators, &member) != FALSE;
    FreeSid(administrators);
    return asked && member;
}

bool IsConsoleUserAdmin() {
    std::wstring user;
    LPWSTR name = nullptr;
    DWORD bytes = 0;
    if (WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTSGetActiveConsoleSessionId(), WTSUserName, &name,
                                    &bytes) &&
        name) {
        user = name;
    }
    if (name) WTSFreeMemory(name);

    LPBYTE info = nullptr;
    if (NetUserGetInfo(nullptr, user.c_str(), 1, &info) != NERR_Success || !info) {
        if (info) NetApiBufferFree(info);
        return false;
    }
    const bool admin = reinterpret_cast<USER_INFO_1*>(info)->usri1_priv == USER_PRIV_ADMIN;
    NetApiBufferFree(info);
    return admin;
}

}  // namespace platform
