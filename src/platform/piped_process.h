#pragma once
// A child process whose standard output is a pipe to this process. Its standard input and error
// are the null device: nothing is ever written to the child, and output it sends to standard
// error can never fill a pipe nobody reads and stall it.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/os_error.h"

namespace platform {

class PipedProcess {
public:
    PipedProcess();
    // Closes this side's handles; a child still running is left running.
    ~PipedProcess();
    PipedProcess(const PipedProcess&) = delete;
    PipedProcess& operator=(const PipedProcess&) = delete;

    // Starts `commandLine`; the program is its first token, split by the Windows rules. No window.
    OsStatus Start(const std::wstring& commandLine);

    struct ReadResult {
        std::size_t bytes = 0;  // 0 with end false: nothing arrived within the wait
        bool end = false;       // every writer has closed the pipe (or it failed)
    };
    // Reads what the child wrote, waiting at most `wait` for something to arrive.
    ReadResult ReadOutput(void* buffer, std::size_t size, std::chrono::milliseconds wait);

    bool HasEnded();
    // Waits without limit for the child to end; its exit code (on POSIX, 128 + the signal when a
    // signal ended it).
    std::uint32_t Wait();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Lets the file be run as a program (POSIX: the execute bits; Windows: nothing to do).
OsStatus MakeExecutable(const std::wstring& path);

}  // namespace platform
