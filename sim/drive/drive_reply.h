#pragma once
// How one command to a simulated drive ended, what its trace line says
// about it, and the sense data a failure leaves for REQUEST SENSE.

#include <cstdint>
#include <string>

#include "scsi_target.h"


namespace sim {

// Fixed-format sense: the sense key and the additional sense code and
// qualifier. All zero is NO SENSE.
struct SenseCode {
    std::uint8_t key = 0, asc = 0, ascq = 0;
};

// Sense keys and codes the simulated drive reports.
constexpr SenseCode kInvalidFieldInCdb{0x05, 0x24, 0x00};
constexpr SenseCode kInvalidOpcode{0x05, 0x20, 0x00};
constexpr SenseCode kNotReady{0x02, 0x04, 0x00};
constexpr SenseCode kPowerOnReset{0x06, 0x29, 0x00};
constexpr SenseCode kMicrocodeChanged{0x06, 0x3F, 0x01};

struct DriveReply {
    ScsiOutcome outcome = ScsiOutcome::Good;
    std::string note;            // the reason for a check condition, or what a good answer meant
    std::uint32_t returned = 0;  // data-in bytes copied to the host
    bool installed = false;      // a new image went in with this command
    SenseCode sense;             // what REQUEST SENSE reports after a check condition
    std::uint32_t lateMs = 0;    // the answer leaves this much later
};

}  // namespace sim
