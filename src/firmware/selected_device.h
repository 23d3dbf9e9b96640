#pragma once
// The first step of the Upgrade and Save commands: take the record at the
// device selector's current index and remember it as the dialog's
// selectedDevice.

#include "device_record.h"

class GuiContract;
class UpgradeDialog;

// The record at the selector's current index, also stored in
// dialog.selectedDevice. The selector always has a current entry while the
// dialog shows drives; should it have none, the status line says so and the
// result is null, so that the command stops instead of reaching no record.
const DeviceRecord* TakeSelectedDevice(UpgradeDialog& dialog, GuiContract& gui);
