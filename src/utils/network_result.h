#pragma once
#include <cstdint>

#include "platform/network.h"

namespace Utils {

// The network check's result for what the network list manager said: flags in the low 16 bits,
// the verdict above them. Logs the reason of a poor verdict.
std::uint32_t NetworkResultOf(const platform::Connectivity& connectivity);

}  // namespace Utils
