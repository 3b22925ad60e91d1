#pragma once
#include <string_view>

namespace platform {

// Writes UTF-8 text to standard output unchanged (on a Windows console as wide text, so that
// non-ASCII characters show). Returns false when the write failed.
bool WriteStdout(std::string_view utf8);
bool WriteStderr(std::string_view utf8);

}  // namespace platform
