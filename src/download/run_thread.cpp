#include "download/run_thread.h"

#include "platform/system_info.h"

namespace download {

void RunThread::Restart(void* param, const Utils::Thread::Body& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool onCurrent = current_ && current_->ThreadId() == platform::CurrentThreadId();
    // A thread set aside earlier has made its last report; joining it here is quick.
    if (!(retired_ && retired_->ThreadId() == platform::CurrentThreadId())) retired_.reset();
    if (onCurrent) {
        retired_ = std::move(current_);
    } else {
        current_.reset();
    }
    current_ = std::make_unique<Utils::Thread>(param, L"ABDEF", body);
    (void)current_->Start();  // a thread that could not be created reports nothing; nothing to do
}

void RunThread::Join() {
    std::unique_ptr<Utils::Thread> current, retired;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        current = std::move(current_);
        retired = std::move(retired_);
    }
    current.reset();
    retired.reset();
}

}  // namespace download
