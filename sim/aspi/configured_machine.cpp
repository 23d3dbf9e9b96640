#include "configured_machine.h"


#include <exception>

namespace sim {

namespace {

std::unique_ptr<SimulatedMachine> MachineWithoutAdapters(const std::string& reason,
                                                         const std::string& fallbackTracePath,
                                                         const std::string& component, std::string& whyNoAdapters) {
    auto machine = std::make_unique<SimulatedMachine>();
    std::string error;
    if (!fallbackTracePath.empty()) machine->trace().OpenFile(fallbackTracePath, error);
    machine->trace().Write(component + ": no adapters: " + reason);
    whyNoAdapters = reason;
    return machine;
}

}  // namespace

std::unique_ptr<SimulatedMachine> LoadConfiguredMachine(const std::string& configPath,
                                                        const std::string& fallbackTracePath) {
    std::string whyNoAdapters;
    return LoadConfiguredMachine(configPath, fallbackTracePath, "wnaspi32", whyNoAdapters);
}

std::unique_ptr<SimulatedMachine> LoadConfiguredMachine(const std::string& configPath,
                                                        const std::string& fallbackTracePath,
                                                        const std::string& component, std::string& whyNoAdapters) {
    whyNoAdapters.clear();
    if (configPath.empty())
        return MachineWithoutAdapters(std::string(kConfigVariable) + " is not set", fallbackTracePath, component,
                                      whyNoAdapters);

    std::unique_ptr<SimulatedMachine> machine;
    std::string error;
    try {
        if (!SimulatedMachine::LoadFile(configPath, machine, error) || !machine)
            return MachineWithoutAdapters(error.empty() ? configPath + ": cannot load" : error, fallbackTracePath,
                                          component, whyNoAdapters);
    } catch (const std::exception& e) {
        return MachineWithoutAdapters(configPath + ": " + e.what(), fallbackTracePath, component, whyNoAdapters);
    }
    if (machine->trace().filePath().empty() && !fallbackTracePath.empty())
        machine->trace().OpenFile(fallbackTracePath, error);
    return machine;
}

}  // namespace sim
