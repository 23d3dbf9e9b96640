#pragma once
// What every POSIX system offers of the system services: the pause of the
// block download (nanosleep), a monotonic clock (clock_gettime), the current
// directory (getcwd) and the local time (localtime_r). Keeping the system
// awake is each system's own (platform/linux).

#include "platform/system_services.h"

class PosixSystemServices : public SystemServices {
public:
    int QueryVersion(OsVersionRecord& record) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t Milliseconds() override;
    std::uint32_t CurrentDirectory(std::uint32_t bufferLength, char* buffer) override;
};
