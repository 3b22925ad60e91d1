#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/processes.h"
#include "platform/text.h"

namespace platform {

std::vector<ProcessEntry> ListProcesses() {
    std::vector<ProcessEntry> list;
    std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
    if (!proc) return list;
    while (const dirent* entry = readdir(proc.get())) {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (pid == 0 || *end != '\0') continue;
        // The executable's file name, like the exe name of a Windows process snapshot.
        char target[PATH_MAX];
        const std::string link = std::string("/proc/") + entry->d_name + "/exe";
        const ssize_t n = readlink(link.c_str(), target, sizeof(target) - 1);
        if (n <= 0) continue;  // kernel threads, or gone meanwhile
        std::string_view path(target, static_cast<size_t>(n));
        constexpr std::string_view kDeleted = " (deleted)";
        if (path.size() > kDeleted.size() && path.substr(path.size() - kDeleted.size()) == kDeleted)
            path.remove_suffix(kDeleted.size());
        const size_t slash = path.rfind('/');
        list.push_back({static_cast<std::uint32_t>(pid), Utf8ToWide(path.substr(slash + 1))});
    }
    std::sort(list.begin(), list.end(), [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return list;
}

}  // namespace platform
