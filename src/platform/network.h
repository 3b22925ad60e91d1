#pragma once
#include <cstdint>

namespace platform {

// What the system's network list manager says. `asked` is false when it could not be asked
// (no such service, as on POSIX, or the object could not be created).
struct Connectivity {
    bool asked = false;
    std::uint32_t flags = 0;  // NLM_CONNECTIVITY bits
    bool internet = false;
};

// Needs the component object model initialised on the calling thread (see ComApartment).
Connectivity QueryConnectivity();

// Initialises the component object model on this thread for the object's life.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_ = false;
};

}  // namespace platform
