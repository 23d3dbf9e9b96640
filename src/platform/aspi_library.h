#pragma once
// The ASPI for Win32 library as the ASPI transport sees it: the run-time
// loading of the ASPI manager and its two entry points, the events that
// signal completion of a notified request, and the pauses and clock of the
// polling loop. The product's implementation sits over kernel32 and
// wnaspi32.dll (platform/win32); the tests use a simulated ASPI manager.

#include <cstdint>

namespace platform {

class AspiLibrary {
public:
    // Opaque values of the platform: a loaded module, an exported entry,
    // an event object. Null means "none".
    using ModuleHandle = void*;
    using EntryAddress = void (*)();
    using EventHandle = void*;

    enum class WaitResult { Signalled, TimedOut, Failed };

    virtual ~AspiLibrary() = default;

    // Loads the named library; null when it cannot be loaded.
    virtual ModuleHandle Load(const char* name) = 0;
    virtual void Release(ModuleHandle module) = 0;
    // The exported entry of that name; null when the library has none.
    virtual EntryAddress FindEntry(ModuleHandle module, const char* name) = 0;

    // Calls GetASPI32SupportInfo through its entry address: bits 8..15 of
    // the result are the ASPI status, bits 0..7 the host adapter count.
    virtual std::uint32_t CallSupportInfo(EntryAddress supportInfo) = 0;
    // Calls SendASPI32Command with one request block; returns its status.
    virtual std::uint32_t CallSendCommand(EntryAddress sendCommand, void* srb) = 0;

    // A manual-reset event, initially not signalled, without name or
    // security attributes; null when it cannot be created.
    virtual EventHandle CreateManualResetEvent() = 0;
    virtual bool ResetEvent(EventHandle event) = 0;
    // Waits at most `timeoutMs` milliseconds for the event.
    virtual WaitResult WaitForEvent(EventHandle event, std::uint32_t timeoutMs) = 0;
    virtual void CloseEvent(EventHandle event) = 0;

    // Gives up the processor: for 0 ms, to any thread ready to run; for
    // 1 ms or more, for at least that long.
    virtual void Pause(std::uint32_t milliseconds) = 0;
    // A millisecond clock that never goes back; it wraps after 2^32 ms,
    // so only differences between two readings are meaningful.
    virtual std::uint32_t TickMs() = 0;
};

}  // namespace platform
