#include "platform/system_info.h"

#include <mutex>

namespace platform {
namespace detail {
NtVersion QuerySystemNtVersion();
}

namespace {
std::mutex g_overrideMutex;
std::optional<NtVersion> g_override;
}  // namespace

NtVersion QueryNtVersion() {
    {
        std::lock_guard<std::mutex> lock(g_overrideMutex);
        if (g_override) return *g_override;
    }
    return detail::QuerySystemNtVersion();
}

namespace testing {
void OverrideNtVersion(std::optional<NtVersion> version) {
    std::lock_guard<std::mutex> lock(g_overrideMutex);
    g_override = version;
}
}  // namespace testing

}  // namespace platform
