#pragma once
// What ktxflash decides and says about a drive from its INQUIRY strings:
// whether it is the KTX7724R05, the name its backup gets, and why its
// revision does not fit the image's tag and mask.

#include <cstdint>

#include "device/device_list.h"
#include "firmware/upgrade_procedure.h"
#include "platform/fixed_text.h"
#include "platform/system_services.h"

// Whether a drive reports itself as the KTX7724R05: INQUIRY vendor
// "TAVRINE" and product "KTX7724R05", compared without trailing blanks.
// The upgrade's own checks (DVD-ROM only, the revision under the mask) let
// any drive that answers like this one through; this one names the model.
bool IsKtxDrive(const DeviceRecord& drive);

// "vendor "X", product "Y"" as the drive reports them, escaped.
void AppendReportedModel(const DeviceRecord& drive, TextBuffer& text);

// The name a backup gets when the command line names none:
// <product>-<revision>-<YYYYMMDD-HHMMSS>.bin, from the drive's INQUIRY
// product and revision without trailing blanks or NULs and the local time;
// any character other than a letter, a digit, '.', '-' or '_' becomes '_',
// so the name is one plain file name on every system.
void FormatBackupFileName(const DeviceRecord& drive, const LocalTime& now, PathText& name);

namespace terminal {

// The words ktxflash adds after "F/W Version Not Match", e.g. `the drive's
// revision is "X1.2", the image's tag "P1", mask 0x0C: the drive's
// characters 1 and 2 must be "P" and "1" (case ignored)`.
void AppendRevisionRefusal(const RevisionText& drive, const RevisionText& tag, std::uint8_t mask, TextBuffer& out);

}  // namespace terminal
