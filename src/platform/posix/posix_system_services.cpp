#include "platform/posix/posix_system_services.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int PosixSystemServices::QueryVersion(OsVersionRecord&) { return 0; }

void PosixSystemServices::Sleep(std::uint32_t milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

std::uint32_t PosixSystemServices::CurrentDirectory(std::uint32_t bufferLength, char* buffer) {
    if (getcwd(buffer, bufferLength) != nullptr) return static_cast<std::uint32_t>(std::strlen(buffer));
    return 0;
}
