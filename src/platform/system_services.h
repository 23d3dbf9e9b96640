#pragma once
// Operating-system services other than drives and files: the version
// record, a pause, a clock, the current directory, keeping the system
// awake, and the local time. One implementation per system
// (platform/win32, platform/posix and platform/linux); tests use a fake
// that records calls.

#include <cstdint>

// The operating-system version record, in the layout of the ANSI
// OSVERSIONINFO (148 bytes). The application object fills it once; the
// transport choice, the restart method and the pass-through volume access
// follow from it.
struct OsVersionRecord {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OsVersionRecord) == 148, "ANSI OSVERSIONINFO layout");

constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows = 1;  // Windows 95/98
constexpr std::uint32_t kPlatformNt = 2;

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

// The local date and time, to the second.
struct LocalTime {
    int year = 0;    // 2026
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
};

// False when the system could not tell.
bool ReadLocalTime(LocalTime& now);
