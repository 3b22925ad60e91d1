#pragma once
// MD5 message digest (RFC 1321).
#include <array>
#include <cstddef>
#include <cstdint>

namespace Utils {

class Md5 {
public:
    Md5();
    void Update(const void* data, std::size_t size);
    std::array<std::uint8_t, 16> Finish();

private:
    void Block(const std::uint8_t* block);

    std::uint32_t state_[4];
    std::uint64_t length_ = 0;  // bytes fed so far
    std::uint8_t buffer_[64];
};

}  // namespace Utils
