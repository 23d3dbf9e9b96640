#pragma once
// Windows' answer to GetSystemPowerStatus, as a PowerStatus: AC line status
// 0 is on battery (1 on mains, 255 unknown); battery life 0..100 percent,
// 255 unknown. Portable, so that the host tests read it.

#include <cstdint>

#include "platform/power_source.h"

inline PowerStatus PowerStatusFromWindows(std::uint8_t acLineStatus, std::uint8_t batteryLifePercent) {
    PowerStatus status;
    status.onBattery = acLineStatus == 0;
    status.percent = batteryLifePercent <= 100 ? batteryLifePercent : -1;
    return status;
}
