#include <windows.h>

#include <string>

#include "platform/debug_output.h"

namespace platform {

void DebugOutput(std::wstring_view text) {
    const std::wstring line(text);  // the system call wants a terminated string
    OutputDebugStringW(line.c_str());
}

}  // namespace platform
