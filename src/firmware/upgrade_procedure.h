#pragma once
// What the Upgrade button runs: opens the drive chosen in the device
// selector, makes sure it is a DVD-ROM-only drive whose revision fits the
// package, checks the package image's byte sum, asks the user twice, and
// hands a working copy of the image to the block download. Every outcome
// is one text in the status line and a state of the buttons 1014, 1010 and
// 1011; success also sets the dialog's restartNeeded. The device is closed
// and the working buffers released on every exit that follows their taking.

#include <cstdint>

class FirmwarePackage;
class ScsiTransport;
class UpgradeDialog;

// The confirmation text is string resource 3, read into room for 300
// characters (at most 299 and the terminator).
constexpr unsigned kConfirmationStringId = 3;
constexpr int kConfirmationTextRoom = 300;
constexpr unsigned kConfirmationBoxStyle = 0x4 /* Yes/No */ | 0x30 /* warning icon */;

// `package` is the one the program carries; null or an uncombined template
// is refused before the drive is touched. Does nothing while another
// firmware command of the dialog runs.
void RunUpgrade(UpgradeDialog& dialog, ScsiTransport& transport, const FirmwarePackage* package,
                std::uint8_t versionCheckMask);
