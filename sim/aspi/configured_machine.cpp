#include "configured_machine.h"

#include <exception>

namespace sim {

namespace {

std::unique_ptr<SimulatedMachine> MachineWithoutAdapters(const std::string& reason,
                                                         const std::string& fallbackTracePath) {
    auto machine = std::make_unique<SimulatedMachine>();
    std::string error;
    if (!fallbackTracePath.empty()) machine->trace().OpenFile(fallbackTracePath, error);
    machine->trace().Write("wnaspi32: no adapters: " + reason);
    return machine;
}

}  // namespace

std::unique_ptr<SimulatedMachine> LoadConfiguredMachine(const std::string& configPath,
                                                        const std::string& fallbackTracePath) {
    if (configPath.empty())
        return MachineWithoutAdapters(std::string(kConfigVariable) + " is not set", fallbackTracePath);

    std::unique_ptr<SimulatedMachine> machine;
    std::string error;
    try {
        if (!SimulatedMachine::LoadFile(configPath, machine, error) || !machine)
            return MachineWithoutAdapters(error.empty() ? configPath + ": cannot load" : error, fallbackTracePath);
    } catch (const std::exception& e) {
        return MachineWithoutAdapters(configPath + ": " + e.what(), fallbackTracePath);
    }
    if (machine->trace().filePath().empty() && !fallbackTracePath.empty())
        machine->trace().OpenFile(fallbackTracePath, error);
    return machine;
}

}  // namespace sim
