#include <windows.h>

#include "platform/file.h"

namespace platform {
namespace {

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

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
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return OsStatus::Failure(GetLastError());
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return OsStatus::Success();
}

long long InputFile::Read(void* buffer, std::size_t size) {
    if (handle_ == -1) return -1;
    DWORD got = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(AsHandle(handle_), buffer, want, &got, nullptr)) return -1;
    return got;
}

bool InputFile::IsOpen() const { return handle_ != -1; }

void InputFile::Close() {
    if (handle_ != -1) {
        (void)CloseHandle(AsHandle(handle_));  // read-only: nothing to lose on close
        handle_ = -1;
    }
}

}  // namespace platform
