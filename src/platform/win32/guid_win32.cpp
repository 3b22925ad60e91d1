#include <windows.h>
#include <objbase.h>

#include <cstring>

#include "platform/guid.h"

namespace platform {

bool NewGuid(Guid& guid) {
    GUID g;
    if (FAILED(CoCreateGuid(&g))) return false;
    guid.data1 = g.Data1;
    guid.data2 = g.Data2;
    guid.data3 = g.Data3;
    std::memcpy(guid.data4, g.Data4, sizeof(guid.data4));
    return true;
}

}  // namespace platform
