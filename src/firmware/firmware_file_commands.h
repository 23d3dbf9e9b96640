#pragma once
// The two operations around a firmware file: browse picks a ".bin" file
// name into the state's firmwarePath; save reads the firmware of a drive
// and writes it to that file, exactly imageSize bytes, nothing else.

#include "firmware/firmware_context.h"

// True when the user chose a ".bin" file: state.firmwarePath holds it.
// Anything else changes nothing and shows nothing.
bool BrowseFirmwareFile(const FirmwareContext& context, FirmwareState& state);

// Where a save ended; each shows its status text.
enum class SaveExit {
    FileNotOpened,  // "Cant open the file %s"
    FileKept,       // the file holds data and the user did not agree to empty it
    FileNotWritten, // the file's length could not be read or set, or the write failed
    NoMemory,       // no buffer for the image
    OpenFailed,     // the drive could not be opened
    BlockUnread,    // the read-out failed; nothing written
    Saved,          // the file holds the drive's firmware
};

// Saves the firmware of `drive` into state.firmwarePath (context.files
// must be set). The file is closed, and the drive closed, on every exit.
SaveExit SaveFirmware(const FirmwareContext& context, FirmwareState& state, const DeviceRecord& drive);
