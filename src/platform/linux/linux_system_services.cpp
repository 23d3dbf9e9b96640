#include "platform/linux/linux_system_services.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace linux_platform {

int LinuxSystemServices::QueryVersion(OsVersionRecord&) { return 0; }

void LinuxSystemServices::Sleep(std::uint32_t milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

void LinuxSystemServices::KeepSystemAwake(bool awake) {
    if (!awake) {
        inhibitor_.Release();
        return;
    }
    if (!inhibitor_.held())
        inhibitor_ = linux_power::InhibitSleepAndShutdown("ktxflash", "Drive firmware transfer in progress");
}

std::uint32_t LinuxSystemServices::CurrentDirectory(std::uint32_t bufferLength, char* buffer) {
    if (getcwd(buffer, bufferLength) != nullptr) return static_cast<std::uint32_t>(std::strlen(buffer));
    return 0;
}

}  // namespace linux_platform
