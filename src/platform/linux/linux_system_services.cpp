#include "platform/linux/linux_system_services.h"

namespace linux_platform {

void LinuxSystemServices::KeepSystemAwake(bool awake) {
    if (!awake) {
        inhibitor_.Release();
        return;
    }
    if (!inhibitor_.held())
        inhibitor_ = linux_power::InhibitSleepAndShutdown("ktxflash", "Drive firmware transfer in progress");
}

}  // namespace linux_platform
