#pragma once
// What ktxflash decides about a drive from its INQUIRY strings: whether it
// is the KTX7724R05, and the name its backup gets.

#include "device/device_list.h"
#include "platform/fixed_text.h"
#include "platform/local_time.h"

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
