#include "diag/diag_log.h"
#include "utils/network_result.h"
#include "utils/system_checks.h"

namespace Utils {

std::uint32_t NetworkResultOf(const platform::Connectivity& c) {
    if (!c.asked) return 0;  // the system cannot be asked: treat the network as usable
    std::uint32_t verdict = kNetworkOk;
    if (c.flags == 0) {
        DIAG_LOG(L"GetConnectivity %d", static_cast<int>(c.flags));
        verdict = kNetworkNone;
    } else if (!c.internet) {
        DIAG_LOG(L"get_IsConnectedToInternet:%d", 0);
        verdict = kNetworkNoInternet;
    }
    return (c.flags & 0xFFFFu) + (verdict << 16);
}

std::uint32_t CheckNetwork() { return NetworkResultOf(platform::QueryConnectivity()); }

}  // namespace Utils
