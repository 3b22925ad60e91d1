#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

#include "diag/thread.h"
#include "platform/system_info.h"
#include "platform/thread_name.h"
#include "support/capture_log.h"

namespace {

using namespace std::chrono_literals;

TEST(Thread, RunsBodyWithParamAfterStart) {
    std::atomic<int> ran{0};
    int param = 41;
    std::promise<std::uint32_t> threadId;
    Utils::Thread t(&param, L"ABDEF", [&](void* p) -> std::uint32_t {
        ran = *static_cast<int*>(p) + 1;
        threadId.set_value(platform::CurrentThreadId());
        return 7;
    });
    EXPECT_NE(t.ThreadId(), Utils::Thread::kNoThread);
    EXPECT_NE(t.ThreadId(), platform::CurrentThreadId());
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(ran, 0) << "the body must wait for Start";
    EXPECT_TRUE(t.Start());
    EXPECT_EQ(threadId.get_future().get(), t.ThreadId());
    t.Join();
    EXPECT_EQ(ran, 42);
    EXPECT_EQ(t.ThreadId(), Utils::Thread::kNoThread);
    t.Join();  // joined before: nothing happens
    EXPECT_FALSE(t.Start());
}

TEST(Thread, NamesTheThread) {
    struct Row {
        std::wstring name;
        bool expectId;
    };
    for (const Row& row : {Row{L"UnInstaller", false}, Row{L"", true}}) {
        std::wstring seen;
        Utils::Thread t(nullptr, row.name, [&](void*) -> std::uint32_t {
            seen = platform::CurrentThreadName();
            return 0;
        });
        const std::wstring expected = row.expectId ? L"t" + std::to_wstring(t.ThreadId()) : row.name;
        ASSERT_TRUE(t.Start());
        t.Join();
        // POSIX keeps 15 bytes of a name.
        EXPECT_EQ(seen, expected.substr(0, 15));
    }
}

TEST(Thread, DestroyingWaitsForARunningBody) {
    std::atomic<bool> finished{false};
    {
        Utils::Thread t(nullptr, L"ABDEF", [&](void*) -> std::uint32_t {
            std::this_thread::sleep_for(100ms);
            finished = true;
            return 0;
        });
        ASSERT_TRUE(t.Start());
    }
    EXPECT_TRUE(finished);
}

TEST(Thread, NeverStartedThreadIsReleasedWithoutRunning) {
    std::atomic<bool> ran{false};
    const auto before = std::chrono::steady_clock::now();
    {
        Utils::Thread t(nullptr, L"ABDEF", [&](void*) -> std::uint32_t {
            ran = true;
            return 0;
        });
    }
    {
        Utils::Thread t(nullptr, L"ABDEF", [&](void*) -> std::uint32_t {
            ran = true;
            return 0;
        });
        t.Join();
        EXPECT_EQ(t.ThreadId(), Utils::Thread::kNoThread);
    }
    EXPECT_FALSE(ran);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
}

TEST(Thread, BracketsTheBodyWithLogLines) {
    testing_support::CaptureLog capture;
    {
        Utils::Thread t(nullptr, L"ABDEF", [](void*) -> std::uint32_t { return 0; });
        ASSERT_TRUE(t.Start());
    }
    const auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 2u) << "one begin and one end line";
    EXPECT_NE(lines[0].find(L"(Utils::Thread::CallBack)<"), std::wstring::npos);
    EXPECT_TRUE(lines[0].ends_with(L">: THREAD BEGIN"));
    EXPECT_TRUE(lines[1].ends_with(L">: THREAD END"));
    EXPECT_NE(lines[1].find(L"(Utils::Thread::CallBack)<"), std::wstring::npos);
}

TEST(Thread, ManyThreadsStartAndJoin) {
    std::atomic<int> count{0};
    std::vector<std::unique_ptr<Utils::Thread>> threads;
    for (int i = 0; i < 16; ++i) {
        threads.push_back(std::make_unique<Utils::Thread>(nullptr, L"ABDEF", [&](void*) -> std::uint32_t {
            ++count;
            return 0;
        }));
    }
    for (auto& t : threads) ASSERT_TRUE(t->Start());
    threads.clear();
    EXPECT_EQ(count, 16);
}

}  // namespace
