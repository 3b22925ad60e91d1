#include "platform/processes.h"
#include "utils/system_checks.h"

namespace Utils {

std::uint32_t FindProcessByName(const std::wstring& exeName) {
    // A process caught while it starts can be listed without a file name (seen under Wine); no
    // name names no program.
    if (exeName.empty()) return 0;
    for (const platform::ProcessEntry& entry : platform::ListProcesses()) {
        if (entry.exeName == exeName) return entry.pid;
    }
    return 0;
}

}  // namespace Utils
