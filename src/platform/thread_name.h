#pragma once
#include <string>

namespace platform {

// Names the calling thread for debuggers (on Windows the debugger naming exception when a
// debugger is attached, and SetThreadDescription where the system has it).
void NameCurrentThread(const std::wstring& name);

// The calling thread's name as the system keeps it (empty when it keeps none). For tests.
std::wstring CurrentThreadName();

}  // namespace platform
