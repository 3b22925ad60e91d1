#pragma once
// The worker-thread wrapper: the thread is created held back, named for debuggers, started once by
// its owner, brackets its work with "THREAD BEGIN" / "THREAD END" log lines, and is joined by its
// owner (explicitly or on destruction).
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace Utils {

class Thread {
public:
    using Body = std::function<std::uint32_t(void*)>;
    static constexpr std::uint32_t kNoThread = 0xFFFFFFFFu;

    // Creates the thread; it waits until Start(). When the system cannot create a thread the
    // object has none: ThreadId() is kNoThread and Start() returns false.
    Thread(void* param, std::wstring name, Body body);
    // Joins. A thread that was never started is released without running its body.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Lets the body run. True when there is a thread; a second call changes nothing.
    bool Start();
    // Waits for the body to return, without time limit; afterwards the object has no thread.
    // A thread that was never started is released without running its body.
    void Join();

    // The system's id of the thread, kNoThread when there is none.
    std::uint32_t ThreadId() const { return threadId_; }
    const std::wstring& Name() const { return name_; }

private:
    enum class Gate { Waiting, Run, Cancel };

    static void CallBack(Thread* self);

    std::uint32_t threadId_ = kNoThread;
    Body body_;
    void* param_;
    std::wstring name_;

    std::mutex mutex_;
    std::condition_variable changed_;
    Gate gate_ = Gate::Waiting;
    bool idKnown_ = false;
    std::thread thread_;
};

}  // namespace Utils
