#pragma once
// What a hard-disk volume of the simulated NT storage stack answers to a
// pass-through request: INQUIRY with peripheral device type 0 (a direct
// access device), good status for TEST UNIT READY, and check condition for
// everything else. The pass-through transport must drop such a volume
// because of its INQUIRY answer.

#include "scsi_target.h"


namespace sim {

class HardDiskTarget : public ScsiTarget {
public:
    ScsiOutcome Execute(const std::uint8_t* cdb, std::size_t cdbLength, DataDirection direction, std::uint8_t* data,
                        std::uint32_t length) override;
};

}  // namespace sim
