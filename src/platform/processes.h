#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::wstring exeName;  // file name only, as the system reports it
};

// The processes running now, in the system's order. The system idle process, which has no
// executable, is not listed.
std::vector<ProcessEntry> ListProcesses();

}  // namespace platform
