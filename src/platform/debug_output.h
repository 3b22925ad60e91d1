#pragma once
#include <string_view>

namespace platform {

// Hands one whole line to the system's debugger output (OutputDebugStringW on Windows, one write
// to standard error on POSIX), so lines from different threads never interleave within a line.
void DebugOutput(std::wstring_view text);

}  // namespace platform
