#pragma once
#include <string>

#include "platform/system_info.h"

namespace config {

// The version text for a set of NT version numbers, by the table the download route depends on.
std::wstring WindowsVersionText(const platform::NtVersion& version);

}  // namespace config
