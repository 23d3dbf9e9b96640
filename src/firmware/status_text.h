#pragma once
// Texts for the status line and message boxes, built from the printf-style
// formats the dialog shows, and the text that names a drive that could not
// be opened.

#include <string>

#include "device_record.h"

// printf-style formatting into a string of any length.
std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// "Open Device (%d %d)%s%s Failed!!" with the record's host adapter, target,
// vendor and product texts.
std::string OpenDeviceFailedText(const DeviceRecord& record);
