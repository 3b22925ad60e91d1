#pragma once
// Reading files as raw bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/os_error.h"

namespace platform {

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    OsStatus Open(const std::wstring& path);
    // Bytes read into `buffer`, 0 at the end of the file; -1 on a read error.
    long long Read(void* buffer, std::size_t size);
    bool IsOpen() const;

private:
    void Close();
    // The HANDLE on Windows, the descriptor on POSIX; -1 (INVALID_HANDLE_VALUE) when closed.
    std::intptr_t handle_ = -1;
};

}  // namespace platform
