#pragma once
// Command lines, split the way Windows programs split them.
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// This process's arguments, the program path first, as CommandLineToArgvW gives them.
std::vector<std::wstring> ProcessArguments();

// Splits a command line with the rules of CommandLineToArgvW: the program name ends at the next
// quote when it starts with one, else at the first blank; in the arguments 2n backslashes before
// a quote give n backslashes and toggle quoting, 2n+1 give n backslashes and a literal quote, and
// inside quotes a doubled quote gives a literal one. An empty line gives no elements (the system
// call substitutes the module path there; callers that need that do it themselves).
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

}  // namespace platform
