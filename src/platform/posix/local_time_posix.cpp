#include "platform/local_time.h"

#include <ctime>

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
