#pragma once
// Program-wide values written during start-up only and read afterwards:
// the transport of the run and the copy of the version-check mask. (The
// operating-system version record is in os_version.h.)

#include <cstdint>

class ScsiTransport;

extern ScsiTransport* g_transport;
extern std::uint8_t g_versionCheckMask;
