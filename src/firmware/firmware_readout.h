#pragma once
// The firmware a drive holds, read out: into memory, held against an image,
// and saved to a firmware file the user chose.
//
// The read-out (Phase::ReadOut) reads the opened drive 16 KiB at a time
// with READ BUFFER mode 1, an offset in the image addressed as buffer id
// (offset >> 16) and offset within that buffer. A failed block is requested
// again at once, up to 5 attempts in a row; every attempt is reported,
// every block read moves the progress.

#include <cstdint>

#include "firmware/firmware_context.h"
#include "firmware/firmware_package.h"

constexpr int kReadAttemptsPerBlock = 5;

enum class ReadOutExit {
    Read,         // the whole image (the current record's imageSize bytes) is in `image`
    BlockUnread,  // a block failed 5 times in a row; the status names it
};

ReadOutExit ReadOutFirmware(const FirmwareContext& context, FirmwareState& state, std::uint8_t* image);

// Two images of kImageSize bytes, block by block: which hold the same bytes.
struct BlockComparison {
    bool same[package_layout::kBlockCount] = {};
    int differing = 0;
    bool allSame() const { return differing == 0; }
};

BlockComparison CompareBlocks(const std::uint8_t* drive, const std::uint8_t* image);

// Browse: true when the user chose a ".bin" file, now state.firmwarePath.
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
// must be set), exactly imageSize bytes. File and drive closed on every exit.
SaveExit SaveFirmware(const FirmwareContext& context, FirmwareState& state, const DeviceRecord& drive);
