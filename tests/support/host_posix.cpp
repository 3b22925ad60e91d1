#include <cstdlib>

#include "support/host.h"

namespace testing_support {

bool RunningUnderWine() { return false; }

void SetEnvironment(const char* name, const std::string& value) {
    if (value.empty()) {
        unsetenv(name);
    } else {
        setenv(name, value.c_str(), 1);
    }
}

}  // namespace testing_support
