// The signals held while firmware goes to the drive.

#include "platform/linux/linux_services.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

bool Blocked(int signal) {
    sigset_t current;
    sigprocmask(SIG_BLOCK, nullptr, &current);
    return sigismember(&current, signal) == 1;
}

TEST(HeldSignals, KeyboardAndTerminalSignalsWaitUntilReleased) {
    linux_platform::HeldSignals held;
    ASSERT_FALSE(Blocked(SIGINT));
    held.Release();  // nothing held: nothing changes
    EXPECT_FALSE(Blocked(SIGINT));
    held.Hold();
    held.Hold();  // a second hold keeps the first one's mask to restore
    for (int signal : {SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTERM}) EXPECT_TRUE(Blocked(signal)) << signal;
    held.Release();
    for (int signal : {SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTERM}) EXPECT_FALSE(Blocked(signal)) << signal;
}

}  // namespace
