#pragma once
#include <cstdint>

namespace platform {

// An operating-system error code (GetLastError() on Windows, errno on POSIX), captured right
// after the failing call. Nothing above the platform layer interprets it; it is only logged.
using OsErrorCode = std::uint32_t;

// Outcome of a platform call that produces no value.
struct [[nodiscard]] OsStatus {
    bool ok = false;
    OsErrorCode error = 0;

    static OsStatus Success() { return {true, 0}; }
    static OsStatus Failure(OsErrorCode code) { return {false, code}; }
    explicit operator bool() const { return ok; }
};

}  // namespace platform
