#pragma once
// What the Upgrade button runs: opens the drive chosen in the device
// selector, makes sure it is a DVD-ROM-only drive whose revision fits the
// package, checks the package image's byte sum, asks the user twice, and
// hands a working copy of the image to the block download. Every outcome
// is one status text and a state of the browse, upgrade and exit commands;
// success also sets the state's restartNeeded. The device is closed
// and the working buffers released on every exit that follows their taking.
//
// Its exits are lettered A to M in the order of the checks: A Open failed,
// B MODE SENSE failed, C not a DVD-ROM-only drive, D unexpected image size,
// E/F no memory for the image/read buffer, G revision mismatch, H image sum
// mismatch, I confirmation text missing, J/K No to the first/second
// confirmation, L download succeeded, M download failed.

#include "firmware/firmware_context.h"

// The confirmation text is read into room for 300 characters (at most 299
// and the terminator).
constexpr int kConfirmationTextRoom = 300;

// The package and mask come from the context; a missing package or an
// uncombined template is refused before the drive is touched.
void RunUpgrade(const FirmwareContext& context, FirmwareState& state);
