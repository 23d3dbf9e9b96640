#pragma once
// The wait timer of Linux: a POSIX thread that waits on a condition
// variable with a time-out on the monotonic clock, so that Stop wakes it at
// once. (pthread_create reports a failure as a result; the code is built
// without exceptions.)

#include <pthread.h>

#include "platform/wait_timer.h"

namespace linux_platform {

class ThreadWaitTimer : public WaitTimer {
public:
    ThreadWaitTimer();
    ~ThreadWaitTimer() override;
    ThreadWaitTimer(const ThreadWaitTimer&) = delete;
    ThreadWaitTimer& operator=(const ThreadWaitTimer&) = delete;

    bool Start(WaitListener& listener, std::uint32_t firstMs, std::uint32_t everyMs) override;
    void Stop() override;

private:
    static void* ThreadMain(void* timer);
    void Run();

    pthread_mutex_t mutex_;
    pthread_cond_t wake_;
    pthread_t thread_{};
    bool running_ = false;
    bool stopRequested_ = false;
    WaitListener* listener_ = nullptr;
    std::uint32_t firstMs_ = 0;
    std::uint32_t everyMs_ = 0;
};

}  // namespace linux_platform
