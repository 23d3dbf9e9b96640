#pragma once
// Sends `image` to the opened drive in 16 KiB blocks, one vendor download
// command per block, each carrying its 1-based block number, its own byte
// sum and the byte sum of the whole image. A refused block goes out again
// at once, up to 5 attempts in a row; every attempt is reported, every
// accepted block moves the progress.
//
// The download is a phase of its own (Phase::Download) from its first
// command to its end. On success the progress stands at 100; on failure
// the status names the failing block. A drive the transport found gone
// after a refusal takes no further try: the download ends at once, with
// the same status, and the end says so.

#include <cstdint>

#include "firmware/firmware_context.h"

constexpr int kDownloadAttemptsPerBlock = 5;
// The pause between the last accepted block and the final progress step.
constexpr std::uint32_t kDownloadSettleMs = 200;

// How a download ended.
struct DownloadEnd {
    bool succeeded = false;
    // On failure: the block the drive refused (1-based) and how often it
    // was tried.
    int block = 0;
    int tries = 0;
    // Whether any command reached the drive: false only when the system
    // refused every one before a device saw it (no rights to send it).
    bool reachedDrive = false;
    // The transport found the drive gone after a refusal: the download
    // stopped without further tries (block - 1 blocks were accepted).
    bool deviceGone = false;
};

// `image` holds the opened record's imageSize bytes.
DownloadEnd RunBlockDownload(const FirmwareContext& context, FirmwareState& state, const std::uint8_t* image);
