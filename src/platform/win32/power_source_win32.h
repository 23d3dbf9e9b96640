#pragma once
// The power status of Windows, from GetSystemPowerStatus, taken at run time
// so that the programs' imports stay as they are; without it the status is
// unknown.

#include "platform/power_source.h"

class Win32PowerSource : public PowerSource {
public:
    PowerStatus Read() override;
};
