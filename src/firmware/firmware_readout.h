#pragma once
// Reads the firmware the opened drive holds into `image`,
// 16 KiB at a time with READ BUFFER mode 1. A linear offset in the image is
// addressed as buffer id (offset >> 16) and offset within that buffer
// (offset & 0xFFFF). A failed block is requested again at once, up to 5
// attempts in a row; every block read moves the progress.
//
// Returns 1 when the whole image (the current record's imageSize bytes) has
// been read; 0 after a block failed 5 times in a row, with the failing
// block named in the status.

#include <cstdint>

#include "firmware/firmware_context.h"

constexpr int kReadAttemptsPerBlock = 5;

// `image` has room for the opened record's imageSize bytes.
int ReadOutFirmware(const FirmwareContext& context, FirmwareState& state, std::uint8_t* image);
