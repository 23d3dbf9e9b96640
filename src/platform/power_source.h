#pragma once
// Whether the system runs on battery and how much charge is left: an
// upgrade interrupted by an empty battery can leave the drive unusable.
// One implementation per system (platform/linux, platform/win32).

#include <cstdint>

struct PowerStatus {
    bool onBattery = false;  // false also when the system cannot tell
    int percent = -1;        // charge left, 0..100; -1 unknown
};

class PowerSource {
public:
    virtual ~PowerSource() = default;
    virtual PowerStatus Read() = 0;
};

// Below this charge on battery, ktxflash does not start an upgrade.
constexpr int kLowestChargeToFlash = 25;

// True when `status` says the system runs on battery with less than
// kLowestChargeToFlash percent left; an unknown charge is no reason to refuse.
inline bool PowerTooLowToFlash(const PowerStatus& status) {
    return status.onBattery && status.percent >= 0 && status.percent < kLowestChargeToFlash;
}

// Windows' answer to GetSystemPowerStatus, as a PowerStatus: AC line status
// 0 is on battery (1 on mains, 255 unknown); battery life 0..100 percent,
// 255 unknown. Portable, so that the host tests read it.
inline PowerStatus PowerStatusFromWindows(std::uint8_t acLineStatus, std::uint8_t batteryLifePercent) {
    PowerStatus status;
    status.onBattery = acLineStatus == 0;
    status.percent = batteryLifePercent <= 100 ? batteryLifePercent : -1;
    return status;
}
