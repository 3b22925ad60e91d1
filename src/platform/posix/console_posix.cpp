#include <unistd.h>

#include <cerrno>

#include "platform/console.h"

namespace platform {
namespace {

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool WriteStdout(std::string_view utf8) { return WriteAll(STDOUT_FILENO, utf8); }
bool WriteStderr(std::string_view utf8) { return WriteAll(STDERR_FILENO, utf8); }

}  // namespace platform
