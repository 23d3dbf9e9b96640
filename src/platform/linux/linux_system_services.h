#pragma once
// The system services of ktxflash on Linux: the pause of the block
// download, the current directory, and logind's sleep and shutdown
// inhibitor held while the system must stay awake. There is no Windows
// version record: QueryVersion reports failure.

#include "platform/linux/sleep_inhibitor.h"
#include "platform/system_services.h"

namespace linux_platform {

class LinuxSystemServices : public SystemServices {
public:
    int QueryVersion(OsVersionRecord& record) override;
    void Sleep(std::uint32_t milliseconds) override;
    void KeepSystemAwake(bool awake) override;
    std::uint32_t CurrentDirectory(std::uint32_t bufferLength, char* buffer) override;

private:
    linux_power::SleepInhibitor inhibitor_;
};

}  // namespace linux_platform
