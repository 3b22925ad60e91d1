#pragma once
// The diagnostic log: one line per call, prefixed with process, thread, local time, function and
// source line, handed whole to the debugger output. No levels, no file, no switch.
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system_info.h"

namespace diag {

// The qualified name of a function from GCC's __PRETTY_FUNCTION__: return type, parameter lists and
// template arguments of the signature dropped ("void Utils::Thread::CallBack(void*)" gives
// "Utils::Thread::CallBack"); a lambda keeps its enclosing function's name followed by "::".
std::wstring QualifiedFunctionName(std::string_view prettyFunction);

// One call site's function name, worked out once.
class CallSite {
public:
    explicit CallSite(const char* prettyFunction) : name_(QualifiedFunctionName(prettyFunction)) {}
    const std::wstring& name() const { return name_; }

private:
    std::wstring name_;
};

struct LinePrefix {
    std::uint32_t processId;
    std::uint32_t threadId;
    platform::LocalTime time;
    const std::wstring* function;
    int line;
};

// The complete line: the fixed prefix followed by the caller's printf-style message. Wide strings
// in the message are passed with %ls, which means the same on every C library.
std::wstring FormatLine(const LinePrefix& prefix, const wchar_t* format, va_list args);

// Writes one line. Never fails visibly: a line that cannot be built is dropped.
void DiagLog(const CallSite& site, int line, const wchar_t* format, ...);

}  // namespace diag

// DIAG_LOG(L"DL_TYPE=%d\r\n", type): logs under the calling function's qualified name.
#define DIAG_LOG(...)                                                              \
    do {                                                                           \
        static const ::diag::CallSite diagCallSite_(__PRETTY_FUNCTION__);         \
        ::diag::DiagLog(diagCallSite_, __LINE__, __VA_ARGS__);                     \
    } while (0)
