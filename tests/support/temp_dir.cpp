#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "platform/system_info.h"

namespace testing_support {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("tessaro-test-" + std::to_string(platform::CurrentProcessId()) + "-" +
                                 std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir);
    path_ = dir.wstring();
}

TempDir::~TempDir() {
    std::error_code ignored;  // a leftover temporary folder is not worth failing a test over
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

std::wstring TempDir::Child(const std::wstring& name) const { return path_ + platform::kPathSeparator + name; }

std::wstring TempDir::WriteFile(const std::wstring& name, const std::string& bytes) const {
    const std::wstring file = Child(name);
    std::ofstream out(std::filesystem::path(file), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

}  // namespace testing_support
