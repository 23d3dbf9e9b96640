#pragma once
// Says, while the calling thread is blocked in a device command, that the
// command has been out for long: after a first wait, and then again at each
// further interval, the listener is called on a thread of the timer's own,
// until Stop. Never by a signal: an interrupted SG_IO is restarted, and a
// firmware command would go out twice. The listener only prints.
//
// One implementation per system, picked by the build: platform/linux a POSIX
// thread and a condition variable on the monotonic clock, platform/win32
// CreateThread and an event, each waited on with a time-out that Stop cuts short.

#include <cstdint>

class WaitListener {
public:
    virtual ~WaitListener() = default;
    // The command has been out for `waitedMs` milliseconds.
    virtual void StillWaiting(std::uint32_t waitedMs) = 0;
};

class WaitTimer {
public:
    virtual ~WaitTimer() = default;
    // Starts timing one command (a running timing is stopped first): after
    // `firstMs`, then every `everyMs`, the listener is called until Stop.
    // False when the system gave no thread: then nothing is said.
    virtual bool Start(WaitListener& listener, std::uint32_t firstMs, std::uint32_t everyMs) = 0;
    // Ends the timing and waits for its thread: the listener is not called
    // after Stop returns. Nothing when nothing runs.
    virtual void Stop() = 0;
};
