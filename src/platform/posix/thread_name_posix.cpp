#include <pthread.h>

#include "platform/text.h"
#include "platform/thread_name.h"

namespace platform {

void NameCurrentThread(const std::wstring& name) {
    // The kernel keeps at most 15 bytes; cut on a character boundary.
    std::string utf8 = WideToUtf8(name);
    if (utf8.size() > 15) {
        size_t cut = 15;
        while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
        utf8.resize(cut);
    }
    (void)pthread_setname_np(pthread_self(), utf8.c_str());  // a name is a debugging aid only
}

std::wstring CurrentThreadName() {
    char buffer[64] = {};
    if (pthread_getname_np(pthread_self(), buffer, sizeof(buffer)) != 0) return {};
    return Utf8ToWide(buffer);
}

}  // namespace platform
