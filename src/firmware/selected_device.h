#pragma once
// The first step of the Upgrade and Save commands: take the record at the
// device selector's current index and remember it as the state's
// selectedDevice.

#include "firmware/firmware_context.h"

// The record at the selector's current index, also stored in
// state.selectedDevice. The selector always has a current entry while
// drives are shown; should it have none, the status line says so and the
// result is null, so that the command stops instead of reaching no record.
const DeviceRecord* TakeSelectedDevice(GuiService& gui, FirmwareState& state);
