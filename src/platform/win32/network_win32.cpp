#include <windows.h>
#include <netlistmgr.h>
#include <objbase.h>

#include "platform/network.h"
#include "platform/win32/unique_any.h"

namespace platform {

Connectivity QueryConnectivity() {
    Connectivity result;
    win32::ComPtr<INetworkListManager> manager;
    if (FAILED(CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_INetworkListManager, manager.put())) ||
        !manager) {
        return result;
    }
    NLM_CONNECTIVITY flags = NLM_CONNECTIVITY_DISCONNECTED;
    if (SUCCEEDED(manager->GetConnectivity(&flags))) {
        result.asked = true;
        result.flags = static_cast<std::uint32_t>(flags);
        // get_IsConnectedToInternet; mingw-w64 names the property getter without "get_".
        VARIANT_BOOL connected = VARIANT_FALSE;
        if (flags != 0 && SUCCEEDED(manager->IsConnectedToInternet(&connected))) {
            result.internet = connected != VARIANT_FALSE;
        }
    }
    manager.reset();
    CoFreeUnusedLibraries();
    return result;
}

ComApartment::ComApartment() {
    initialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

ComApartment::~ComApartment() {
    if (initialised_) CoUninitialize();
}

}  // namespace platform
