#pragma once
// One command of the command set, sent to an open SCSI generic device: the
// single send operation the Linux transport is built on.

#include "device/command_set.h"
#include "platform/scsi_generic_devices.h"

namespace sgio {

struct CommandOutcome {
    bool succeeded = false;                  // carried, and every status good
    DeviceError error = DeviceError::None;   // why the system did not carry it; None when it did
};

// Builds a fresh request for `command` over `data` (transferLength bytes;
// null for none), sends it and judges it. Sense data is asked for but not
// read.
CommandOutcome SendCommand(OpenedScsiDevice& device, const commands::Command& command, void* data);

}  // namespace sgio
