#pragma once
// How one command to a simulated drive ended, and what its trace line says
// about it.

#include <cstdint>
#include <string>

#include "scsi_target.h"


namespace sim {

struct DriveReply {
    ScsiOutcome outcome = ScsiOutcome::Good;
    std::string note;            // the reason for a check condition, or what a good answer meant
    std::uint32_t returned = 0;  // data-in bytes copied to the host
    bool installed = false;      // a new image went in with this command
};

}  // namespace sim
