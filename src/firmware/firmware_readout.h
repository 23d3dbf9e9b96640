#pragma once
// Reads the firmware the opened drive holds into `image`,
// 16 KiB at a time with READ BUFFER mode 1. A linear offset in the image is
// addressed as buffer id (offset >> 16) and offset within that buffer
// (offset & 0xFFFF). A failed block is requested again at once, up to 5
// attempts in a row; every attempt is reported, every block read moves the
// progress. The read-out is a phase of its own (Phase::ReadOut).

#include <cstdint>

#include "firmware/firmware_context.h"
#include "firmware/firmware_package.h"

constexpr int kReadAttemptsPerBlock = 5;

enum class ReadOutExit {
    Read,         // the whole image (the current record's imageSize bytes) is in `image`
    BlockUnread,  // a block failed 5 times in a row; the status names it
};

// `image` has room for the opened record's imageSize bytes.
ReadOutExit ReadOutFirmware(const FirmwareContext& context, FirmwareState& state, std::uint8_t* image);

// The drive's firmware against an image, block by block (the 16 KiB blocks
// the download sends): which blocks hold the same bytes.

struct BlockComparison {
    bool same[package_layout::kBlockCount] = {};
    int differing = 0;
    bool allSame() const { return differing == 0; }
};

// Compares two images of kImageSize bytes.
BlockComparison CompareBlocks(const std::uint8_t* drive, const std::uint8_t* image);
