// The simulated ASPI manager as a drop-in wnaspi32.dll: its drives and
// faults come from the configuration file named by KTX_SIM_CONFIG, the
// drives' trace goes where the configuration says (or to KTX_SIM_TRACE),
// and a request that asks for an event gets it set with SetEvent.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "device/aspi_srb.h"
#include "configured_machine.h"

#include "simulated_aspi.h"


namespace {

struct Manager {
    std::unique_ptr<sim::SimulatedMachine> machine;
    std::unique_ptr<sim::SimulatedAspi> aspi;
};

// The live process environment (the C runtime's copy would miss a variable
// that the program set after it started).
std::string EnvironmentValue(const char* name) {
    const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);  // with the final NUL
    if (size == 0) return std::string();
    std::string value(size, '\0');
    const DWORD length = ::GetEnvironmentVariableA(name, &value[0], size);
    if (length == 0 || length >= size) return std::string();
    value.resize(length);
    return value;
}

// The manager's worker thread runs this module's code until the process
// ends, so the module must stay mapped even when the program frees it.
void PinThisModule() {
    HMODULE self = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCSTR>(&PinThisModule), &self);
}

// Built on the first call, never destroyed: at process exit the worker
// thread has already been ended by the system and must not be joined.
Manager& TheManager() {
    static Manager* manager = [] {
        PinThisModule();
        auto* created = new Manager;
        created->machine = sim::LoadConfiguredMachine(EnvironmentValue(sim::kConfigVariable),
                                                      EnvironmentValue(sim::kTraceVariable));
        created->aspi = std::make_unique<sim::SimulatedAspi>(*created->machine, [](void* event) {
            ::SetEvent(static_cast<HANDLE>(event));
        });
        return created;
    }();
    return *manager;
}

}  // namespace

// The published prototypes: C calling convention, no name decoration.
extern "C" DWORD __cdecl GetASPI32SupportInfo(void) {
    try {
        return TheManager().aspi->SupportInfo();
    } catch (const std::exception&) {
        return static_cast<DWORD>(aspi::SS_NO_ADAPTERS) << 8;
    }
}

extern "C" DWORD __cdecl SendASPI32Command(void* srb) {
    try {
        return TheManager().aspi->Send(srb);
    } catch (const std::exception&) {
        return aspi::SS_INVALID_SRB;
    }
}
