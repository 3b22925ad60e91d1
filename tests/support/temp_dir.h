#pragma once
#include <string>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return path_; }
    // path() + separator + name
    std::wstring Child(const std::wstring& name) const;
    // Writes `bytes` to Child(name) and returns its path.
    std::wstring WriteFile(const std::wstring& name, const std::string& bytes) const;

private:
    std::wstring path_;
};

}  // namespace testing_support
