#include "platform/posix/posix_system_services.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

int PosixSystemServices::QueryVersion(OsVersionRecord&) { return 0; }

void PosixSystemServices::Sleep(std::uint32_t milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

std::uint32_t PosixSystemServices::Milliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

std::uint32_t PosixSystemServices::CurrentDirectory(std::uint32_t bufferLength, char* buffer) {
    return getcwd(buffer, bufferLength) != nullptr ? static_cast<std::uint32_t>(std::strlen(buffer)) : 0;
}

bool ReadLocalTime(LocalTime& now) {
    const std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    if (seconds == static_cast<std::time_t>(-1) || localtime_r(&seconds, &parts) == nullptr) return false;
    now.year = parts.tm_year + 1900;
    now.month = parts.tm_mon + 1;
    now.day = parts.tm_mday;
    now.hour = parts.tm_hour;
    now.minute = parts.tm_min;
    now.second = parts.tm_sec;
    return true;
}
