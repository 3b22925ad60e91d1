#pragma once
// Threads of a downloader that outlive the call that started them (the part threads and the
// finishing thread of a multi-part run). They are owned here instead of detached, so destroying the
// downloader can wait for them; a thread never waits for itself.
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace download {

class ThreadGroup {
public:
    ~ThreadGroup() { JoinAll(); }

    void Spawn(std::function<void()> body);
    // Joins every thread but the calling one, which stays for a later call.
    void JoinAll();

private:
    std::mutex mutex_;
    std::vector<std::thread> threads_;
};

}  // namespace download
