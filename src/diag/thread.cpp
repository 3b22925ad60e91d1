#include "diag/thread.h"

#include <system_error>

#include "diag/diag_log.h"
#include "platform/system_info.h"
#include "platform/thread_name.h"

namespace Utils {

Thread::Thread(void* param, std::wstring name, Body body) : body_(std::move(body)), param_(param), name_(std::move(name)) {
    try {
        thread_ = std::thread(&Thread::CallBack, this);
    } catch (const std::system_error&) {
        return;  // no thread: Start() reports it
    }
    // The new thread tells its own id; it is known once construction returns.
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return idKnown_; });
}

Thread::~Thread() {
    Join();
    threadId_ = kNoThread;
    name_.clear();
    body_ = nullptr;
}

bool Thread::Start() {
    if (!thread_.joinable()) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (gate_ == Gate::Waiting) gate_ = Gate::Run;
    }
    changed_.notify_all();
    return true;
}

void Thread::Join() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (gate_ == Gate::Waiting) gate_ = Gate::Cancel;
    }
    changed_.notify_all();
    thread_.join();
    threadId_ = kNoThread;
}

void Thread::CallBack(Thread* self) {
    const std::uint32_t id = platform::CurrentThreadId();
    platform::NameCurrentThread(self->name_.empty() ? L"t" + std::to_wstring(id) : self->name_);
    Gate gate;
    {
        std::unique_lock<std::mutex> lock(self->mutex_);
        self->threadId_ = id;
        self->idKnown_ = true;
        self->changed_.notify_all();
        self->changed_.wait(lock, [self] { return self->gate_ != Gate::Waiting; });
        gate = self->gate_;
    }
    // Exit point: released unstarted by Join() or the destructor; the body never ran.
    if (gate == Gate::Cancel) return;

    DIAG_LOG(L"THREAD BEGIN\r\n");
    (void)self->body_(self->param_);  // the body's result is not the thread's exit code
    DIAG_LOG(L"THREAD END\r\n");
    // Exit point: the body returned; the owner's Join() or destructor collects the thread.
}

}  // namespace Utils
