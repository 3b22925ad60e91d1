#include <memory>
#include <new>

#include "platform/file.h"
#include "platform/text.h"
#include "utils/md5.h"
#include "utils/system_checks.h"

namespace Utils {
namespace {

// Large reads keep the digest at disk or page-cache speed.
constexpr std::size_t kReadSize = 256 * 1024;

}  // namespace

std::string FileMd5Text(const std::wstring& path) {
    if (path.empty()) return {};
    try {
        platform::InputFile file;
        if (!file.Open(path)) return {};
        const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kReadSize]);
        Md5 md5;
        for (;;) {
            const long long n = file.Read(buffer.get(), kReadSize);
            if (n < 0) return {};  // a read error is not the digest of a shorter file
            if (n == 0) break;
            md5.Update(buffer.get(), static_cast<std::size_t>(n));
        }
        static constexpr char kHex[] = "0123456789abcdef";
        std::string text;
        for (const std::uint8_t byte : md5.Finish()) {
            text.push_back(kHex[byte >> 4]);
            text.push_back(kHex[byte & 0x0F]);
        }
        return text;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string FileMd5Text(const std::string& path) { return FileMd5Text(platform::AnsiToWide(path)); }

}  // namespace Utils
