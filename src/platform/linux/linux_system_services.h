#pragma once
// The system services of ktxflash on Linux: the POSIX ones, and logind's
// sleep and shutdown inhibitor held while the system must stay awake.

#include "platform/linux/sleep_inhibitor.h"
#include "platform/posix/posix_system_services.h"

namespace linux_platform {

class LinuxSystemServices : public PosixSystemServices {
public:
    void KeepSystemAwake(bool awake) override;

private:
    linux_power::SleepInhibitor inhibitor_;
};

}  // namespace linux_platform
