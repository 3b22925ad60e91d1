#pragma once
// One owner for every kind of system handle: move-only, closed once, by the function its alias
// names. Raw handles appear only at the API call.
#include <windows.h>

#include <utility>

namespace platform::win32 {

// Invalid() gives the kind's "no handle" value (INVALID_HANDLE_VALUE is not a constant expression).
template <typename T, auto Close, auto Invalid>
class UniqueAny {
public:
    UniqueAny() = default;
    explicit UniqueAny(T value) : value_(value) {}
    ~UniqueAny() { reset(); }
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid(); }
    T release() { return std::exchange(value_, Invalid()); }
    void reset(T value = Invalid()) {
        if (value_ != Invalid()) (void)Close(value_);  // nothing useful to do when closing fails
        value_ = value;
    }

private:
    T value_ = Invalid();
};

inline HANDLE NullHandle() { return nullptr; }
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }
inline HKEY NullKey() { return nullptr; }

using UniqueHandle = UniqueAny<HANDLE, CloseHandle, NullHandle>;
using UniqueFileHandle = UniqueAny<HANDLE, CloseHandle, InvalidHandle>;  // files, snapshots
using UniqueKey = UniqueAny<HKEY, RegCloseKey, NullKey>;

// A COM interface pointer: released once, by its owner.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the calls that hand out a new reference.
    void** put() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    Interface* p_ = nullptr;
};

}  // namespace platform::win32
