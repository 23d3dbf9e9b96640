#pragma once
// The first step of the Upgrade and Save commands: take the record of the
// drive the user chose and remember it as the state's selectedDevice.

#include "firmware/firmware_context.h"

// The record at the port's chosen index, also stored in
// state.selectedDevice. A drive is always chosen while drives are shown;
// should none be, the status says so and the result is null, so that the
// command stops instead of reaching no record.
const DeviceRecord* TakeSelectedDevice(const FirmwareContext& context, FirmwareState& state);
