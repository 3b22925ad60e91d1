#include <windows.h>

#include "platform/text.h"
#include "platform/thread_name.h"

namespace platform {
namespace {

using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
using GetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PWSTR*);

template <typename Fn>
Fn Kernel32Export(const char* name) {
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel32, name))) : nullptr;
}

// The record of the documented debugger naming exception.
#pragma pack(push, 8)
struct ThreadNameInfo {
    DWORD type;  // 0x1000
    LPCSTR name;
    DWORD threadId;
    DWORD flags;
};
#pragma pack(pop)

}  // namespace

void NameCurrentThread(const std::wstring& name) {
    if (const auto set = Kernel32Export<SetThreadDescriptionFn>("SetThreadDescription")) {
        (void)set(GetCurrentThread(), name.c_str());  // a name is a debugging aid only
    }
    // GCC has no structured exception handling to catch the naming exception, and without a
    // debugger nobody would; raise it only when a debugger is there to take it.
    if (IsDebuggerPresent()) {
        const std::string ansi = WideToAnsi(name);
        ThreadNameInfo info = {0x1000, ansi.c_str(), GetCurrentThreadId(), 0};
        RaiseException(0x406D1388, 0, sizeof(info) / sizeof(ULONG_PTR), reinterpret_cast<const ULONG_PTR*>(&info));
    }
}

std::wstring CurrentThreadName() {
    const auto get = Kernel32Export<GetThreadDescriptionFn>("GetThreadDescription");
    PWSTR description = nullptr;
    if (!get || FAILED(get(GetCurrentThread(), &description)) || !description) return {};
    std::wstring name = description;
    LocalFree(description);
    return name;
}

}  // namespace platform
