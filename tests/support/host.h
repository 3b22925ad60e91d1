#pragma once
#include <string>

namespace testing_support {

// Whether this Windows program runs under Wine (always false for a POSIX build). Wine differs from
// Windows in a few places the tests must know about.
bool RunningUnderWine();

// Sets (or, with an empty value, removes) a variable of this process's environment; child
// processes started afterwards inherit it.
void SetEnvironment(const char* name, const std::string& value);

// A path the fixture wrote as a POSIX path, as this program names it (under Wine through drive Z:).
std::wstring LocalPath(const std::string& posixPath);

}  // namespace testing_support
