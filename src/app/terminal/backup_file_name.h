#pragma once
// The name a backup gets when the command line names none:
// <product>-<revision>-<YYYYMMDD-HHMMSS>.bin, from the drive's INQUIRY
// product and revision without trailing blanks or NULs and the local time;
// any character other than a letter, a digit, '.', '-' or '_' becomes '_',
// so the name is one plain file name on every system.

#include "device/device_record.h"
#include "platform/fixed_text.h"
#include "platform/local_time.h"

void FormatBackupFileName(const DeviceRecord& drive, const LocalTime& now, PathText& name);
