#include "program_state.h"

// Constant-initialised (zero before any constructor of the program runs), so
// the application object, whatever its place in static initialisation, finds
// them in their starting state.
ScsiTransport* g_transport = nullptr;
std::uint8_t g_versionCheckMask = 0;
