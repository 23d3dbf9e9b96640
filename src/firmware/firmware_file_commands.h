#pragma once
// The two commands around a firmware file: browse (button 1014) picks a
// ".bin" file name into the state's firmwarePath; save (button 1009) reads
// the firmware of the drive chosen in the device selector and writes it to
// that file, exactly imageSize bytes, nothing else.

#include "firmware/firmware_context.h"

void RunBrowse(const FirmwareContext& context, FirmwareState& state);
void RunSave(const FirmwareContext& context, FirmwareState& state);
