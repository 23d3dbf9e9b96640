#pragma once
// The volume service the program's pass-through transport uses. Two
// definitions, one per program: the product's (the system's volumes) and
// the NT test build's (the simulated NT storage stack). Built on the first
// call and kept until the program ends.

#include "volume_service.h"

platform::VolumeService& ProgramVolumeService();
