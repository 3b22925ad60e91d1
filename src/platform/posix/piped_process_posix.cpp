#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/piped_process.h"
#include "platform/command_line.h"
#include "platform/posix/native_path.h"
#include "platform/text.h"

extern char** environ;

namespace platform {

struct PipedProcess::State {
    pid_t pid = -1;
    int output = -1;  // read end of the child's standard output
    bool ended = false;
    int status = 0;

    ~State() {
        if (output >= 0) (void)close(output);  // read end only: nothing to lose
    }
};

PipedProcess::PipedProcess() : state_(std::make_unique<State>()) {}
PipedProcess::~PipedProcess() {
    // A child that has ended is collected, so it does not linger as a zombie.
    if (state_->pid > 0 && !state_->ended) (void)HasEnded();
}

OsStatus PipedProcess::Start(const std::wstring& commandLine) {
    const std::vector<std::wstring> args = SplitCommandLine(commandLine);
    if (args.empty() || args[0].empty()) return OsStatus::Failure(ENOENT);
    std::vector<std::string> narrow;
    narrow.push_back(posix::NativePath(args[0]));
    for (size_t i = 1; i < args.size(); ++i) narrow.push_back(WideToUtf8(args[i]));
    std::vector<char*> argv;
    for (std::string& a : narrow) argv.push_back(a.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return OsStatus::Failure(static_cast<OsErrorCode>(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    // This side keeps only the read end, so the pipe ends when the child (and its children) do.
    (void)close(pipeEnds[1]);
    if (error != 0) {
        (void)close(pipeEnds[0]);
        return OsStatus::Failure(static_cast<OsErrorCode>(error));
    }
    state_->pid = pid;
    state_->output = pipeEnds[0];
    return OsStatus::Success();
}

PipedProcess::ReadResult PipedProcess::ReadOutput(void* buffer, std::size_t size, std::chrono::milliseconds wait) {
    if (state_->output < 0) return {0, true};
    pollfd p = {state_->output, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(wait.count()));
    if (ready == 0) return {0, false};
    if (ready < 0) return {0, errno != EINTR};
    for (;;) {
        const ssize_t n = read(state_->output, buffer, size);
        if (n > 0) return {static_cast<std::size_t>(n), false};
        if (n < 0 && errno == EINTR) continue;
        return {0, true};
    }
}

bool PipedProcess::HasEnded() {
    if (state_->pid <= 0 || state_->ended) return true;
    int status = 0;
    const pid_t done = waitpid(state_->pid, &status, WNOHANG);
    if (done == state_->pid || (done < 0 && errno == ECHILD)) {
        state_->ended = true;
        state_->status = status;
    }
    return state_->ended;
}

std::uint32_t PipedProcess::Wait() {
    if (state_->pid > 0 && !state_->ended) {
        int status = 0;
        pid_t done;
        do {
            done = waitpid(state_->pid, &status, 0);
        } while (done < 0 && errno == EINTR);
        state_->ended = true;
        state_->status = status;
    }
    const int s = state_->status;
    if (WIFEXITED(s)) return static_cast<std::uint32_t>(WEXITSTATUS(s));
    if (WIFSIGNALED(s)) return 128u + static_cast<std::uint32_t>(WTERMSIG(s));
    return 0;
}

OsStatus MakeExecutable(const std::wstring& path) {
    if (chmod(posix::NativePath(path).c_str(), 0755) == 0) return OsStatus::Success();
    return OsStatus::Failure(static_cast<OsErrorCode>(errno));
}

}  // namespace platform
