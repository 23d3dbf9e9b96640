#pragma once
// The power status of Linux from /sys/class/power_supply: the system runs
// on battery when no mains (or USB) supply is online and a battery is
// discharging; the charge is the lowest capacity of its batteries. Supplies
// whose scope is Device (a mouse, a headset) power no system and are left
// out.

#include "platform/fixed_text.h"
#include "platform/power_source.h"

namespace linux_platform {

class SysfsPowerSource : public PowerSource {
public:
    explicit SysfsPowerSource(const char* folder = "/sys/class/power_supply");
    PowerStatus Read() override;

private:
    PathText folder_;
};

}  // namespace linux_platform
