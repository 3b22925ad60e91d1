#pragma once
#include <string>

namespace cli {

// A number in its shortest form that reads back to the same double ("0.7", "1e+300", "12").
std::string ShortestNumber(double value);

}  // namespace cli
