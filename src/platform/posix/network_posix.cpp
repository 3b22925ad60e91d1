#include "platform/network.h"

namespace platform {

// No network list manager exists here: the check answers "cannot be asked".
Connectivity QueryConnectivity() { return {}; }

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;

}  // namespace platform
