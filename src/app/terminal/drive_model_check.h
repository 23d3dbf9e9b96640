#pragma once
// Whether a drive reports itself as the KTX7724R05: INQUIRY vendor
// "TAVRINE" and product "KTX7724R05", compared without trailing blanks.
// The upgrade's own checks (DVD-ROM only, the revision under the mask) let
// any drive that answers like this one through; this one names the model.

#include "device/device_record.h"
#include "platform/fixed_text.h"

bool IsKtxDrive(const DeviceRecord& drive);

// "vendor "X", product "Y"" as the drive reports them, escaped.
void AppendReportedModel(const DeviceRecord& drive, TextBuffer& text);
