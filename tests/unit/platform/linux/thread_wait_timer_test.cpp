// The Linux wait timer on a real thread, with short intervals: it speaks
// only after its first wait, again at each interval, and never after Stop.
// Nothing here depends on how fast the machine is: the waits for a notice
// are bounded generously, and a notice that must not come is ruled out by
// a first wait far longer than the test.

#include "platform/linux/linux_services.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class CountingListener : public WaitListener {
public:
    void StillWaiting(std::uint32_t waitedMs) override {
        lastWaitedMs = waitedMs;
        ++count;
    }
    std::atomic<int> count{0};
    std::atomic<std::uint32_t> lastWaitedMs{0};
};

bool WaitFor(const std::atomic<int>& count, int atLeast) {
    for (int i = 0; i < 1000 && count < atLeast; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return count >= atLeast;
}

TEST(ThreadWaitTimer, SpeaksAfterTheFirstWaitThenAtEachIntervalUntilStopped) {
    linux_platform::ThreadWaitTimer timer;
    CountingListener listener;
    ASSERT_TRUE(timer.Start(listener, 20, 20));
    ASSERT_TRUE(WaitFor(listener.count, 3));
    EXPECT_GE(listener.lastWaitedMs, 40u) << "the third notice comes after the first wait and two intervals";
    timer.Stop();
    const int said = listener.count;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(listener.count, said) << "nothing after Stop";
}

TEST(ThreadWaitTimer, ACommandThatEndsBeforeTheFirstWaitIsNeverSaid) {
    linux_platform::ThreadWaitTimer timer;
    CountingListener listener;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(timer.Start(listener, 600000, 1000));
        timer.Stop();
    }
    timer.Stop();  // nothing running: nothing to do
    EXPECT_EQ(listener.count, 0);
}

}  // namespace
