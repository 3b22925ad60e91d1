#pragma once

namespace testing_support {

// Whether this Windows program runs under Wine (always false for a POSIX build). Wine differs from
// Windows in a few places the tests must know about.
bool RunningUnderWine();

}  // namespace testing_support
