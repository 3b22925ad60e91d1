#include <windows.h>

#include <mutex>
#include <vector>

#include "platform/piped_process.h"
#include "platform/win32/unique_any.h"

namespace platform {
namespace {

// Handles are made inheritable only for the moment of one process creation, so two runners that
// start children at once never hand each other's pipe ends to the wrong child.
std::mutex g_creationMutex;

win32::UniqueFileHandle OpenNullDevice(DWORD access) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return win32::UniqueFileHandle(CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                               OPEN_EXISTING, 0, nullptr));
}

}  // namespace

struct PipedProcess::State {
    win32::UniqueHandle process;
    win32::UniqueHandle thread;
    win32::UniqueHandle output;  // read end of the child's standard output
};

PipedProcess::PipedProcess() : state_(std::make_unique<State>()) {}
PipedProcess::~PipedProcess() = default;

OsStatus PipedProcess::Start(const std::wstring& commandLine) {
    std::lock_guard<std::mutex> lock(g_creationMutex);
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return OsStatus::Failure(GetLastError());
    win32::UniqueHandle output(readEnd), childOutput(writeEnd);
    if (!SetHandleInformation(output.get(), HANDLE_FLAG_INHERIT, 0)) return OsStatus::Failure(GetLastError());
    win32::UniqueFileHandle input = OpenNullDevice(GENERIC_READ);
    win32::UniqueFileHandle error = OpenNullDevice(GENERIC_WRITE);
    if (!input || !error) return OsStatus::Failure(GetLastError());

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = input.get();
    startup.hStdOutput = childOutput.get();
    startup.hStdError = error.get();
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');  // the system may write into the command line
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        return OsStatus::Failure(GetLastError());
    }
    state_->process.reset(info.hProcess);
    state_->thread.reset(info.hThread);
    state_->output = std::move(output);
    // The child's ends close here, so the pipe breaks when the child (and its children) end.
    return OsStatus::Success();
}

PipedProcess::ReadResult PipedProcess::ReadOutput(void* buffer, std::size_t size, std::chrono::milliseconds wait) {
    if (!state_->output) return {0, true};
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait.count());
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(state_->output.get(), nullptr, 0, nullptr, &available, nullptr)) return {0, true};
        if (available > 0) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(size < available ? size : available);
            if (!ReadFile(state_->output.get(), buffer, want, &got, nullptr)) return {0, true};
            return {got, false};
        }
        if (GetTickCount64() >= deadline) return {0, false};
        Sleep(10);  // anonymous pipes cannot be waited on; a short poll costs nothing here
    }
}

bool PipedProcess::HasEnded() {
    return !state_->process || WaitForSingleObject(state_->process.get(), 0) == WAIT_OBJECT_0;
}

std::uint32_t PipedProcess::Wait() {
    if (!state_->process) return 0;
    (void)WaitForSingleObject(state_->process.get(), INFINITE);
    DWORD code = 0;
    (void)GetExitCodeProcess(state_->process.get(), &code);  // 0 stays when it cannot be read
    return code;
}

OsStatus MakeExecutable(const std::wstring&) { return OsStatus::Success(); }

}  // namespace platform
