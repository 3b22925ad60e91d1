#pragma once
// Numbers in the configuration file and on the command line, read like the standard stoi/stod
// but without exceptions: std::nullopt for text that does not start with a number and for a number
// out of range.
#include <cstdint>
#include <optional>
#include <string_view>

namespace config {

// Leading blanks, an optional sign and decimal digits; what follows is ignored.
std::optional<std::int32_t> ParseLeadingInt(std::wstring_view text);

// Leading blanks and a decimal number as strtod reads it ("0.5", "1e-2", "inf", "nan", ...);
// what follows is ignored. Overflow and underflow give std::nullopt.
std::optional<double> ParseLeadingDouble(std::wstring_view text);

}  // namespace config
