#include "platform/win32/win32_services.h"

#include <windows.h>

namespace {

DWORD WINAPI TimerThread(LPVOID timer) {
    static_cast<platform::Win32WaitTimer*>(timer)->Run();
    return 0;
}

}  // namespace

namespace platform {

bool Win32WaitTimer::Start(WaitListener& listener, std::uint32_t firstMs, std::uint32_t everyMs) {
    Stop();
    listener_ = &listener;
    firstMs_ = firstMs;
    everyMs_ = everyMs;
    stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (stopEvent_ == nullptr) return false;
    // Windows 95 and 98 need somewhere to write the thread id.
    DWORD threadId = 0;
    thread_ = CreateThread(nullptr, 0, TimerThread, this, 0, &threadId);
    if (thread_ == nullptr) {
        CloseHandle(stopEvent_);
        stopEvent_ = nullptr;
        return false;
    }
    return true;
}

void Win32WaitTimer::Stop() {
    if (thread_ == nullptr) return;
    SetEvent(stopEvent_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stopEvent_);
    thread_ = nullptr;
    stopEvent_ = nullptr;
}

void Win32WaitTimer::Run() {
    const DWORD start = GetTickCount();
    DWORD wait = firstMs_;
    while (WaitForSingleObject(stopEvent_, wait) == WAIT_TIMEOUT) {
        // Unsigned: right across the tick count's wrap too.
        listener_->StillWaiting(static_cast<std::uint32_t>(GetTickCount() - start));
        wait = everyMs_;
    }
}

}  // namespace platform
