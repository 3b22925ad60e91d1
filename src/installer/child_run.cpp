#include "installer/child_run.h"

#include <chrono>

#include "installer/line_protocol.h"
#include "platform/piped_process.h"

namespace installer {

ChildRunResult RunChild(const std::wstring& commandLine, const std::function<std::uint32_t()>& codePage,
                        const std::function<void(const std::wstring&)>& lines) {
    platform::PipedProcess process;
    if (!process.Start(commandLine)) return {};
    LineAssembler assembler;
    char buffer[1024];
    bool ended = false;
    for (;;) {
        // After the child has ended, take only what is already there.
        const auto wait = std::chrono::milliseconds(ended ? 0 : 100);
        const platform::PipedProcess::ReadResult read = process.ReadOutput(buffer, sizeof(buffer), wait);
        if (read.bytes > 0) {
            const std::wstring whole = assembler.TakeChunk(std::string_view(buffer, read.bytes), codePage());
            if (!whole.empty()) lines(whole);
            continue;
        }
        if (read.end || ended) break;
        ended = process.HasEnded();
    }
    const std::wstring last = assembler.Finish(codePage());
    if (!last.empty()) lines(last);
    return {true, process.Wait()};
}

}  // namespace installer
