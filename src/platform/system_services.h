#pragma once
// Operating-system services other than drives and files: the version
// record, a pause, a clock, the current directory, and keeping the system awake.
// One implementation per system (platform/win32, platform/linux); tests use
// a fake that records calls.

#include <cstdint>
#include "platform/os_version.h"

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // Fills `record` with the running system's version (GetVersionExA; the
    // caller sets its size field); nonzero on success. Systems other than
    // Windows have no such record and report failure.
    virtual int QueryVersion(OsVersionRecord& record) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // A count of milliseconds that only goes forward (it wraps after about
    // 49 days: take differences, unsigned): GetTickCount on Windows,
    // CLOCK_MONOTONIC on POSIX systems. For timing what the program does.
    virtual std::uint32_t Milliseconds() = 0;
    // true: asks the system not to go to sleep until it is called with
    // false. Windows: SetThreadExecutionState(ES_CONTINUOUS |
    // ES_SYSTEM_REQUIRED), then ES_CONTINUOUS alone (nothing on Windows 95
    // and NT 4.0, which lack the call); Linux: logind's sleep and shutdown
    // inhibitor, held until false.
    virtual void KeepSystemAwake(bool awake) = 0;
    // The current directory (GetCurrentDirectoryA(bufferLength, buffer)):
    // the length of the path copied, or, when it does not fit, the size
    // needed; 0 on failure.
    virtual std::uint32_t CurrentDirectory(std::uint32_t bufferLength, char* buffer) = 0;
};
