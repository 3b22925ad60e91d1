#include <cwchar>

#include "platform/guid.h"
#include "utils/system_checks.h"

namespace Utils {

std::wstring NewGuidText() {
    platform::Guid g;
    if (!platform::NewGuid(g)) return {};
    // The third group in lower case is how the product has always written its device id.
    wchar_t text[40];
    const int n = std::swprintf(text, sizeof(text) / sizeof(text[0]),
                                L"%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", static_cast<unsigned>(g.data1),
                                static_cast<unsigned>(g.data2), static_cast<unsigned>(g.data3), g.data4[0], g.data4[1],
                                g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return n == 32 ? std::wstring(text, 32) : std::wstring();
}

}  // namespace Utils
