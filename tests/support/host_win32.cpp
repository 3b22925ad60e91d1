#include <windows.h>

#include "support/host.h"

namespace testing_support {

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void SetEnvironment(const char* name, const std::string& value) {
    // The process environment block, which CreateProcess hands to children.
    SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

}  // namespace testing_support
