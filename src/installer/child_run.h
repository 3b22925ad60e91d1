#pragma once
// Runs one child process to its end and hands its output, as decoded whole lines, to the caller.
#include <cstdint>
#include <functional>
#include <string>

namespace installer {

struct ChildRunResult {
    bool started = false;
    std::uint32_t exitCode = 0;
};

// Starts `commandLine` and reads its standard output until every writer has closed it, or until
// the child has ended and nothing more arrives (a program it started may hold the pipe open).
// `codePage` is asked once per chunk; `lines` gets the chunk's whole lines and, at the end, the
// last piece without a line feed. Waits without limit for the child to end.
ChildRunResult RunChild(const std::wstring& commandLine, const std::function<std::uint32_t()>& codePage,
                        const std::function<void(const std::wstring&)>& lines);

}  // namespace installer
