#include <windows.h>
#include <lm.h>
#include <wtsapi32.h>

#include <string>

#include "platform/accounts.h"
#include "platform/win32/unique_any.h"

namespace platform {
namespace {

PSID NullSid() { return nullptr; }
LPWSTR NullText() { return nullptr; }
LPBYTE NullBytes() { return nullptr; }
void FreeWtsText(LPWSTR text) { WTSFreeMemory(text); }

using UniqueSid = win32::UniqueAny<PSID, FreeSid, NullSid>;
using UniqueWtsText = win32::UniqueAny<LPWSTR, FreeWtsText, NullText>;
using UniqueNetBuffer = win32::UniqueAny<LPBYTE, NetApiBufferFree, NullBytes>;

}  // namespace

bool IsProcessElevatedAdmin() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID raw = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &raw)) {
        return false;
    }
    const UniqueSid administrators(raw);
    BOOL member = FALSE;
    return CheckTokenMembership(nullptr, administrators.get(), &member) && member;
}

bool IsConsoleUserAdmin() {
    std::wstring user;
    LPWSTR rawName = nullptr;
    DWORD bytes = 0;
    const bool named = WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTSGetActiveConsoleSessionId(),
                                                   WTSUserName, &rawName, &bytes) != FALSE;
    const UniqueWtsText name(rawName);
    if (named && name) user = name.get();

    LPBYTE rawInfo = nullptr;
    const NET_API_STATUS status = NetUserGetInfo(nullptr, user.c_str(), 1, &rawInfo);
    const UniqueNetBuffer info(rawInfo);
    if (status != NERR_Success || !info) return false;
    return reinterpret_cast<const USER_INFO_1*>(info.get())->usri1_priv == USER_PRIV_ADMIN;
}

}  // namespace platform
