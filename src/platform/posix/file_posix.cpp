#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/file.h"
#include "platform/posix/native_path.h"
#include "platform/text.h"

namespace platform {
InputFile::~InputFile() { Close(); }

InputFile::InputFile(InputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

OsStatus InputFile::Open(const std::wstring& path) {
    Close();
    const std::string native = posix::NativePath(path);
    const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return OsStatus::Failure(static_cast<OsErrorCode>(errno));
    handle_ = fd;
    return OsStatus::Success();
}

long long InputFile::Read(void* buffer, std::size_t size) {
    if (handle_ < 0) return -1;
    for (;;) {
        const ssize_t n = read(static_cast<int>(handle_), buffer, size);
        if (n >= 0) return n;
        if (errno != EINTR) return -1;
    }
}

bool InputFile::IsOpen() const { return handle_ >= 0; }

void InputFile::Close() {
    if (handle_ >= 0) {
        (void)close(static_cast<int>(handle_));  // read-only: nothing to lose on close
        handle_ = -1;
    }
}

}  // namespace platform
