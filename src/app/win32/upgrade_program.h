#pragma once
// The whole run of the dialog program over the given volume service: the
// Win32 services, the application object, start-up and, on leaving, the
// restart the user agreed to. The product's entry point passes the system's
// volumes; the NT test build's entry point (sim/nt) passes the simulated
// NT storage stack. Returns the program's exit status.

#include "platform/volume_service.h"

int RunUpgradeProgram(platform::VolumeService& volumes);
