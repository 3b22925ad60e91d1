#include "platform/processes.h"
#include "utils/system_checks.h"

namespace Utils {

std::uint32_t FindProcessByName(const std::wstring& exeName) {
    for (const platform::ProcessEntry& entry : platform::ListProcesses()) {
        if (entry.exeName == exeName) return entry.pid;
    }
    return 0;
}

}  // namespace Utils
