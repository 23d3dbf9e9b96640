#pragma once
// One-line explanations of what users meet on the way to a SCSI generic
// device, with what to do about it. The caller puts the device's name in
// front.

#include "platform/scsi_generic_devices.h"

namespace sgio {

// Never null; "" for DeviceError::None.
const char* DeviceErrorText(DeviceError error);

}  // namespace sgio
