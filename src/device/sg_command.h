#pragma once
// One command of the command set, sent to an open SCSI generic device: the
// single send operation the Linux transport is built on.

#include <cstdint>

#include "device/command_set.h"
#include "device/sg_io_request.h"
#include "platform/scsi_generic_devices.h"

namespace sgio {

struct CommandOutcome {
    bool succeeded = false;                  // carried, and every status good
    DeviceError error = DeviceError::None;   // why the system did not carry it; None when it did
    // What the kernel left in the header when it carried the request.
    std::uint8_t scsiStatus = 0;
    std::uint16_t hostStatus = 0;
    std::uint16_t driverStatus = 0;
    std::uint8_t sense[kSenseLength] = {};
    std::uint8_t senseLength = 0;  // bytes of sense data the kernel wrote
};

// Builds a fresh request for `command` over `data` (transferLength bytes;
// null for none), sends it and judges it, keeping the statuses and the
// sense data the kernel returned.
CommandOutcome SendCommand(OpenedScsiDevice& device, const commands::Command& command, void* data);

}  // namespace sgio
