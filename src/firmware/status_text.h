#pragma once
// The texts the firmware operations and start-up show more than once, each
// in one place, the text that names a drive that could not be opened, and
// how an operation shows a status text.

#include "device/device_list.h"
#include "firmware/firmware_context.h"
#include "platform/fixed_text.h"

// No drive to work on: start-up's message box and the status line.
constexpr char kNoDeviceText[] = "No support device Found!!";
// The program carries a template without firmware.
constexpr char kNeedCombineText[] = "Need Combine firmware first !!";
// The upgrade's first status; the terminal shows it as the download starts.
constexpr char kStartFlashingText[] = "Start Flashing...\r\nDon't turn off the power!!";
// What a successful upgrade and a successful save both report.
constexpr char kUpgradeSuccessfulText[] = "Upgrade Firmware Successful!!";
// No memory for the working copy of the image.
constexpr char kWriteMemoryFailedText[] = "Memory (Write) Initialization Failed!!";

// "Open Device (%d %d)%s%s Failed!!" with the record's host adapter, target,
// vendor and product texts.
MessageText OpenDeviceFailedText(const DeviceRecord& record);

// Shows `text` as the status. A refusal of the system in the last request's
// report (see CommandReport::refusal) goes to the port first, so that a
// face can explain the failure instead of only naming it.
void ReportStatus(const FirmwareContext& context, const char* text);
