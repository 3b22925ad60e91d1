#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/text.h"
#include "support/capture_log.h"

namespace testing_support {

struct CaptureLog::State {
    int savedStderr = -1;
    std::string file;
    std::string captured;
    bool active = false;
};

CaptureLog::CaptureLog() : state_(new State) {
    char name[] = "/tmp/tessaro-log-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return;
    state_->file = name;
    fflush(stderr);
    state_->savedStderr = dup(STDERR_FILENO);
    dup2(fd, STDERR_FILENO);
    close(fd);
    state_->active = true;
}

CaptureLog::~CaptureLog() {
    (void)Text();
    if (!state_->file.empty()) unlink(state_->file.c_str());
    delete state_;
}

std::wstring CaptureLog::Text() {
    if (state_->active) {
        fflush(stderr);
        dup2(state_->savedStderr, STDERR_FILENO);
        close(state_->savedStderr);
        state_->active = false;
        if (FILE* f = fopen(state_->file.c_str(), "rb")) {
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) state_->captured.append(buffer, n);
            fclose(f);
        }
    }
    return platform::Utf8ToWide(state_->captured);
}

}  // namespace testing_support
