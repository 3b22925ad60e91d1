#include "download/stop_signal.h"

#include <atomic>

namespace download {
namespace {
std::atomic<double> g_pauseScale{1.0};
}  // namespace

std::chrono::milliseconds ScaledPause(int milliseconds) {
    return std::chrono::milliseconds(static_cast<long long>(milliseconds * g_pauseScale.load()));
}

namespace testing {
void SetPauseScale(double scale) { g_pauseScale = scale; }
}  // namespace testing

}  // namespace download
