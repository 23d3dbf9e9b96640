#pragma once
// The Windows programs' operating-system services: GetVersionExA, Sleep,
// GetTickCount, GetCurrentDirectoryA and SetThreadExecutionState where the
// system has it.

#include "platform/system_services.h"

namespace platform {

class Win32SystemServices : public SystemServices {
public:
    int QueryVersion(OsVersionRecord& record) override;
    void Sleep(std::uint32_t milliseconds) override;
    // GetTickCount, not GetTickCount64 (Windows Vista and later).
    std::uint32_t Milliseconds() override;
    void KeepSystemAwake(bool awake) override;
    std::uint32_t CurrentDirectory(std::uint32_t bufferLength, char* buffer) override;
};

}  // namespace platform
