#pragma once
// Sends `image` to the opened drive in 16 KiB blocks, one vendor download
// command per block, each carrying its 1-based block number, its own byte
// sum and the byte sum of the whole image. A refused block goes out again
// at once, up to 5 attempts in a row; every accepted block moves the
// progress.
//
// Returns the result of the last command (nonzero) when every block was
// accepted; the progress then stands at 100 and the upgrade command is
// enabled. Returns 0 after a block was refused 5 times in a row, with the
// failing block named in the status and the upgrade command left disabled;
// or at once when the transport found the drive gone after a refusal, with
// the same status and then the port told how many blocks were accepted.

#include <cstdint>

#include "firmware/firmware_context.h"

constexpr int kDownloadAttemptsPerBlock = 5;
// The pause between the last accepted block and the final progress step.
constexpr std::uint32_t kDownloadSettleMs = 200;

// `image` holds the opened record's imageSize bytes.
int RunBlockDownload(const FirmwareContext& context, FirmwareState& state, const std::uint8_t* image);
