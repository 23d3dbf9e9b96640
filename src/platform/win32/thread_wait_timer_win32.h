#pragma once
// The wait timer of Windows: a thread made with CreateThread that waits on
// an event with a time-out, so that Stop wakes it at once. No C++ runtime
// or thread library is linked into the shipped programs: only kernel32.

#include "platform/wait_timer.h"

namespace platform {

class Win32WaitTimer : public WaitTimer {
public:
    Win32WaitTimer() = default;
    ~Win32WaitTimer() override { Stop(); }
    Win32WaitTimer(const Win32WaitTimer&) = delete;
    Win32WaitTimer& operator=(const Win32WaitTimer&) = delete;

    bool Start(WaitListener& listener, std::uint32_t firstMs, std::uint32_t everyMs) override;
    void Stop() override;

    // The thread's body; public for the thread's entry function only.
    void Run();

private:
    void* stopEvent_ = nullptr;  // HANDLE: set by Stop
    void* thread_ = nullptr;     // HANDLE
    WaitListener* listener_ = nullptr;
    std::uint32_t firstMs_ = 0;
    std::uint32_t everyMs_ = 0;
};

}  // namespace platform
