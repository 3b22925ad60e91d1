#pragma once
// The run thread of a downloader, replaced by every Start(). Start() may be called from inside the
// run's own last report (the owner's answer to DL_CODE_RETRY): that thread cannot wait for itself,
// so it is set aside, and joined by the next Start() or at destruction, when it has long ended.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "diag/thread.h"

namespace download {

class RunThread {
public:
    ~RunThread() { Join(); }

    // Ends the previous run's thread (or sets it aside when called on it) and starts a new one.
    void Restart(void* param, const Utils::Thread::Body& body);
    // Waits for the current and the set-aside threads; call only from outside them.
    void Join();

private:
    std::mutex mutex_;
    std::unique_ptr<Utils::Thread> current_;
    std::unique_ptr<Utils::Thread> retired_;
};

}  // namespace download
