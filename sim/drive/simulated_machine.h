#pragma once
// A simulated PC as the simulated back ends see it: ASPI host adapters,
// KTX7724R05 drives (by adapter and target, and by drive letter when they
// have one), hard-disk volumes, and the one trace every drive writes to.
// Built from a configuration file or step by step by tests; after that the
// lookups do not change it, so back ends may share it between threads.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drive_config.h"

#include "simulated_drive.h"

#include "trace.h"


namespace sim {

class SimulatedMachine {
public:
    SimulatedMachine() = default;
    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;

    // Reads and parses a configuration file. On failure `out` is left as it
    // was and `error` reads "FILE:LINE: problem" or "FILE: cannot read ...".
    static bool LoadFile(const std::string& path, std::unique_ptr<SimulatedMachine>& out, std::string& error);
    // Parses configuration text; `sourceName` names it in messages, and
    // relative paths in it (trace, image files) are taken from its folder.
    static bool Parse(const std::string& text, const std::string& sourceName, std::unique_ptr<SimulatedMachine>& out,
                      std::string& error);

    // Throw std::invalid_argument, changing nothing, for a second drive at
    // the same adapter and target, a letter already in use, a second adapter
    // with the same id, or a drive image of the wrong size.
    SimulatedDrive& AddDrive(DriveConfig config);
    void AddAdapter(AdapterConfig adapter);
    void AddHardDisk(char letter);

    // The adapters, by id. Without any added, adapters 0 up to the highest
    // adapter number a drive uses, each with 8 targets; none without drives.
    const std::vector<AdapterConfig>& adapters() const;
    SimulatedDrive* DriveAt(std::uint8_t adapter, std::uint8_t target);
    SimulatedDrive* DriveAtLetter(char letter);
    bool IsHardDisk(char letter) const;
    // Every volume by letter: the optical drives that have a letter and the hard disks.
    std::vector<VolumeConfig> volumes() const;
    Trace& trace() { return trace_; }
    std::vector<SimulatedDrive*> drives();

private:
    bool LetterInUse(char letter) const;

    Trace trace_;  // first in, last out: the drives write to it
    std::vector<std::unique_ptr<SimulatedDrive>> drives_;
    std::vector<AdapterConfig> addedAdapters_;
    std::vector<AdapterConfig> impliedAdapters_;
    std::vector<char> hardDisks_;
};

}  // namespace sim
