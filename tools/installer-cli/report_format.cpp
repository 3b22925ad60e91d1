#include "report_format.h"

#include <charconv>

namespace cli {

std::string ShortestNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, result.ptr);
}

}  // namespace cli
