#include <windows.h>
#include <tlhelp32.h>

#include "platform/processes.h"
#include "platform/win32/unique_any.h"

namespace platform {

std::vector<ProcessEntry> ListProcesses() {
    std::vector<ProcessEntry> list;
    win32::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return list;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    // The first entry is the system idle process, which has no executable.
    if (!Process32FirstW(snapshot.get(), &entry)) return list;
    while (Process32NextW(snapshot.get(), &entry)) list.push_back({entry.th32ProcessID, entry.szExeFile});
    return list;
}

}  // namespace platform
