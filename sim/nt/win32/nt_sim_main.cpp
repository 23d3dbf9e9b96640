// The entry point of ktxupgrade_nt_sim.exe: the dialog program of the
// product, its volume service bound to the NT storage stack of a simulated
// machine whose drives come from the configuration file named by
// KTX_SIM_CONFIG; the drives trace to the file the configuration names, or
// to KTX_SIM_TRACE. Without a usable configuration the machine has no
// adapters and no optical drives, so the program finds none; the reason
// goes to the trace and to standard error.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/win32/upgrade_program.h"
#include "configured_machine.h"

#include "simulated_nt_storage.h"


namespace {

constexpr char kProgramName[] = "ktxupgrade_nt_sim";
constexpr DWORD kWindows2000MajorVersion = 5;

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The storage stack of the system the program runs on: NT 4.0 let SCSI
// pass-through through on a volume opened for reading only, Windows 2000 and
// later ask for reading and writing.
bool PassThroughNeedsReadWrite() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    if (!GetVersionExA(&version)) return true;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return version.dwMajorVersion >= kWindows2000MajorVersion;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string whyNoAdapters;
    const std::unique_ptr<sim::SimulatedMachine> machine = sim::LoadConfiguredMachine(
        EnvironmentValue(sim::kConfigVariable), EnvironmentValue(sim::kTraceVariable), kProgramName, whyNoAdapters);
    if (!whyNoAdapters.empty()) std::fprintf(stderr, "%s: no adapters: %s\n", kProgramName, whyNoAdapters.c_str());

    sim::SimulatedNtStorage storage(*machine);
    storage.SetPassThroughNeedsReadWrite(PassThroughNeedsReadWrite());
    return RunUpgradeProgram(storage);
}
