#pragma once
// The two commands around a firmware file: browse picks a ".bin" file name
// into the state's firmwarePath; save reads the firmware of the chosen drive
// and writes it to that file, exactly imageSize bytes, nothing else.

#include "firmware/firmware_context.h"

void RunBrowse(const FirmwareContext& context, FirmwareState& state);
void RunSave(const FirmwareContext& context, FirmwareState& state);
