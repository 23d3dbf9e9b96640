#pragma once
// Sends `image` to the opened drive in 16 KiB blocks, one vendor download
// command per block, each carrying its 1-based block number, its own byte
// sum and the byte sum of the whole image. A refused block goes out again
// at once, up to 5 attempts in a row; every attempt is reported, every
// accepted block moves the progress. The download is a phase of its own
// (Phase::Download). On failure the status names the failing block; a
// drive found gone after a refusal takes no further try.

#include <cstdint>

#include "firmware/firmware_context.h"

constexpr int kDownloadAttemptsPerBlock = 5;
// The pause between the last accepted block and the final progress step.
constexpr std::uint32_t kDownloadSettleMs = 200;

// How a download ended.
struct DownloadEnd {
    bool succeeded = false;
    // On failure: the block the drive refused (1-based) and its tries.
    int block = 0;
    int tries = 0;
    // Whether any command reached the drive: false only when the system
    // refused every one before a device saw it (no rights to send it).
    bool reachedDrive = false;
    // The drive was found gone after a refusal (block - 1 blocks accepted).
    bool deviceGone = false;
};

DownloadEnd RunBlockDownload(const FirmwareContext& context, FirmwareState& state, const std::uint8_t* image);
