#pragma once
// The machine the drop-in wnaspi32.dll (and the NT test build of the
// program) simulates, taken from the configuration file that an environment
// variable names. Portable, so the rules below are tested on the host; the
// simulated programs only read the variables.

#include <memory>
#include <string>

#include "simulated_machine.h"


namespace sim {

// The configuration file to load.
constexpr char kConfigVariable[] = "KTX_SIM_CONFIG";
// Where the trace goes when the configuration does not say (or cannot be read).
constexpr char kTraceVariable[] = "KTX_SIM_TRACE";

// Loads `configPath` (empty: the variable is not set). When that fails the
// result is a machine without adapters, whose trace (at `fallbackTracePath`,
// when given) holds one line saying why. A configuration without a trace
// of its own traces to `fallbackTracePath` when given. Never null.
std::unique_ptr<SimulatedMachine> LoadConfiguredMachine(const std::string& configPath,
                                                        const std::string& fallbackTracePath);
// The same for another simulated program: its trace line names `component`
// instead of wnaspi32, and `whyNoAdapters` receives the reason when the
// configuration could not be used (empty when it loaded).
std::unique_ptr<SimulatedMachine> LoadConfiguredMachine(const std::string& configPath,
                                                        const std::string& fallbackTracePath,
                                                        const std::string& component, std::string& whyNoAdapters);

}  // namespace sim
