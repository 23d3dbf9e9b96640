#include "simulated_machine.h"


#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace sim {
namespace {

char UpperLetter(char letter) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

}  // namespace

SimulatedDrive& SimulatedMachine::AddDrive(DriveConfig config) {
    config.letter = UpperLetter(config.letter);
    if (config.letter != 0 && (config.letter < 'A' || config.letter > 'Z'))
        throw std::invalid_argument("bad drive letter");
    if (DriveAt(config.adapter, config.target) != nullptr)
        throw std::invalid_argument("duplicate address " + std::to_string(config.adapter) + ":" +
                                    std::to_string(config.target));
    if (config.letter != 0 && LetterInUse(config.letter))
        throw std::invalid_argument(std::string("letter ") + config.letter + " already in use");

    drives_.push_back(std::make_unique<SimulatedDrive>(std::move(config), trace_));
    SimulatedDrive& drive = *drives_.back();

    const unsigned adapterCount = static_cast<unsigned>(drive.config().adapter) + 1;
    while (impliedAdapters_.size() < adapterCount) {
        AdapterConfig implied;
        implied.id = static_cast<std::uint8_t>(impliedAdapters_.size());
        impliedAdapters_.push_back(implied);
    }
    return drive;
}

void SimulatedMachine::AddAdapter(AdapterConfig adapter) {
    const auto sameId = [&](const AdapterConfig& a) { return a.id == adapter.id; };
    if (std::any_of(addedAdapters_.begin(), addedAdapters_.end(), sameId))
        throw std::invalid_argument("duplicate adapter " + std::to_string(adapter.id));
    const auto after = std::find_if(addedAdapters_.begin(), addedAdapters_.end(),
                                    [&](const AdapterConfig& a) { return a.id > adapter.id; });
    addedAdapters_.insert(after, adapter);
}

void SimulatedMachine::AddHardDisk(char letter) {
    letter = UpperLetter(letter);
    if (letter < 'A' || letter > 'Z') throw std::invalid_argument("bad volume letter");
    if (LetterInUse(letter)) throw std::invalid_argument(std::string("letter ") + letter + " already in use");
    hardDisks_.push_back(letter);
}

const std::vector<AdapterConfig>& SimulatedMachine::adapters() const {
    return addedAdapters_.empty() ? impliedAdapters_ : addedAdapters_;
}

SimulatedDrive* SimulatedMachine::DriveAt(std::uint8_t adapter, std::uint8_t target) {
    for (const auto& drive : drives_)
        if (drive->config().adapter == adapter && drive->config().target == target) return drive.get();
    return nullptr;
}

SimulatedDrive* SimulatedMachine::DriveAtLetter(char letter) {
    letter = UpperLetter(letter);
    if (letter == 0) return nullptr;
    for (const auto& drive : drives_)
        if (drive->config().letter == letter) return drive.get();
    return nullptr;
}

bool SimulatedMachine::IsHardDisk(char letter) const {
    return std::find(hardDisks_.begin(), hardDisks_.end(), UpperLetter(letter)) != hardDisks_.end();
}

std::vector<VolumeConfig> SimulatedMachine::volumes() const {
    std::vector<VolumeConfig> all;
    for (char letter : hardDisks_) all.push_back({letter, VolumeConfig::Kind::HardDisk});
    for (const auto& drive : drives_)
        if (drive->config().letter != 0) all.push_back({drive->config().letter, VolumeConfig::Kind::Optical});
    std::sort(all.begin(), all.end(), [](const VolumeConfig& a, const VolumeConfig& b) { return a.letter < b.letter; });
    return all;
}

std::vector<SimulatedDrive*> SimulatedMachine::drives() {
    std::vector<SimulatedDrive*> all;
    for (const auto& drive : drives_) all.push_back(drive.get());
    return all;
}

bool SimulatedMachine::LetterInUse(char letter) const {
    if (IsHardDisk(letter)) return true;
    return std::any_of(drives_.begin(), drives_.end(),
                       [&](const std::unique_ptr<SimulatedDrive>& d) { return d->config().letter == letter; });
}

}  // namespace sim
