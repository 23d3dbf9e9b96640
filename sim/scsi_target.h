#pragma once
// What the simulated back ends (ASPI library, NT storage stack) see of a
// drive: something that executes one CDB with its data phase and says how
// it ended. The simulated KTX7724R05 is one; tests may provide others.

#include <cstddef>
#include <cstdint>

namespace sim {

enum class DataDirection { None, In, Out };

enum class ScsiOutcome {
    Good,            // completed with good status
    CheckCondition,  // completed with check condition (status 02h)
    NoDevice,        // the device does not answer at all (gone, or never there)
    NeverCompletes,  // the command is accepted but never ends
};

class ScsiTarget {
public:
    virtual ~ScsiTarget() = default;
    // Executes one command. For data-in, `data` receives at most `length`
    // bytes; for data-out, `data` holds `length` bytes from the host.
    // `data` may be null when `length` is 0.
    virtual ScsiOutcome Execute(const std::uint8_t* cdb, std::size_t cdbLength, DataDirection direction,
                                std::uint8_t* data, std::uint32_t length) = 0;
    // Milliseconds the command takes before it ends (the simulators use it
    // to delay completion); 0 for none.
    virtual std::uint32_t LatencyMs() const { return 0; }
};

}  // namespace sim
