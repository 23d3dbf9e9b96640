// ktxupgrade_nt_sim.exe: the NT storage stack of a simulated machine whose
// drives come from the configuration file named by KTX_SIM_CONFIG; the
// drives trace to the file the configuration names, or to KTX_SIM_TRACE.
// Without a usable configuration the machine has no adapters and no optical
// drives, so the program finds none; the reason goes to the trace and to
// standard error.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "configured_machine.h"
#include "os_version.h"
#include "program_volume_service.h"
#include "simulated_nt_storage.h"

namespace {

constexpr char kProgramName[] = "ktxupgrade_nt_sim";
constexpr std::uint32_t kWindows2000MajorVersion = 5;

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::unique_ptr<sim::SimulatedMachine> LoadMachine() {
    std::string whyNoAdapters;
    auto machine = sim::LoadConfiguredMachine(EnvironmentValue(sim::kConfigVariable),
                                              EnvironmentValue(sim::kTraceVariable), kProgramName, whyNoAdapters);
    if (!whyNoAdapters.empty()) std::fprintf(stderr, "%s: no adapters: %s\n", kProgramName, whyNoAdapters.c_str());
    return machine;
}

// The storage stack of the system the program runs on: NT 4.0 let SCSI
// pass-through through on a volume opened for reading only, Windows 2000 and
// later ask for reading and writing. Start-up has read the version by the
// time this first runs.
std::unique_ptr<sim::SimulatedNtStorage> MakeStorage(sim::SimulatedMachine& machine) {
    auto storage = std::make_unique<sim::SimulatedNtStorage>(machine);
    storage->SetPassThroughNeedsReadWrite(g_osVersion.dwMajorVersion >= kWindows2000MajorVersion);
    return storage;
}

}  // namespace

platform::VolumeService& ProgramVolumeService() {
    static const std::unique_ptr<sim::SimulatedMachine> machine = LoadMachine();
    static const std::unique_ptr<sim::SimulatedNtStorage> storage = MakeStorage(*machine);
    return *storage;
}
