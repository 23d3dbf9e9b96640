#include "platform/linux/linux_services.h"

#include <cerrno>
#include <ctime>

namespace linux_platform {
namespace {

timespec Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

timespec Later(timespec time, std::uint32_t ms) {
    time.tv_sec += static_cast<time_t>(ms / 1000u);
    time.tv_nsec += static_cast<long>(ms % 1000u) * 1000000L;
    if (time.tv_nsec >= 1000000000L) {
        time.tv_nsec -= 1000000000L;
        ++time.tv_sec;
    }
    return time;
}

std::uint32_t MillisecondsBetween(const timespec& from, const timespec& to) {
    const long long ms = (static_cast<long long>(to.tv_sec) - from.tv_sec) * 1000LL +
                         (static_cast<long long>(to.tv_nsec) - from.tv_nsec) / 1000000LL;
    return ms > 0 ? static_cast<std::uint32_t>(ms) : 0u;
}

}  // namespace

ThreadWaitTimer::ThreadWaitTimer() {
    pthread_mutex_init(&mutex_, nullptr);
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&wake_, &attributes);
    pthread_condattr_destroy(&attributes);
}

ThreadWaitTimer::~ThreadWaitTimer() {
    Stop();
    pthread_cond_destroy(&wake_);
    pthread_mutex_destroy(&mutex_);
}

bool ThreadWaitTimer::Start(WaitListener& listener, std::uint32_t firstMs, std::uint32_t everyMs) {
    Stop();
    listener_ = &listener;
    firstMs_ = firstMs;
    everyMs_ = everyMs;
    stopRequested_ = false;
    const auto threadMain = [](void* timer) -> void* {
        static_cast<ThreadWaitTimer*>(timer)->Run();
        return nullptr;
    };
    running_ = pthread_create(&thread_, nullptr, threadMain, this) == 0;
    return running_;
}

void ThreadWaitTimer::Stop() {
    if (!running_) return;
    pthread_mutex_lock(&mutex_);
    stopRequested_ = true;
    pthread_cond_signal(&wake_);
    pthread_mutex_unlock(&mutex_);
    pthread_join(thread_, nullptr);
    running_ = false;
}

void ThreadWaitTimer::Run() {
    const timespec start = Now();
    timespec next = Later(start, firstMs_);
    pthread_mutex_lock(&mutex_);
    while (!stopRequested_) {
        if (pthread_cond_timedwait(&wake_, &mutex_, &next) != ETIMEDOUT) continue;
        if (stopRequested_) break;
        // Said without the lock, so that Stop is never held up by printing.
        pthread_mutex_unlock(&mutex_);
        listener_->StillWaiting(MillisecondsBetween(start, Now()));
        pthread_mutex_lock(&mutex_);
        next = Later(next, everyMs_);
    }
    pthread_mutex_unlock(&mutex_);
}

}  // namespace linux_platform
