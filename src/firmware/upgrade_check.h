#pragma once
// The upgrade's own checks of the drive and the image, in the order they
// run, and the names ktxflash reports them by.

enum class UpgradeCheck {
    DvdRomOnly,  // the drive answers MODE SENSE as a DVD-ROM-only drive
    ImageSize,   // the drive takes an image of the package's size
    Revision,    // the drive's revision fits the package's tag under the mask
    ImageSum,    // the image's byte sum is the package's
};

// "dvd-rom-only", "image-size", "revision", "image-sum".
const char* UpgradeCheckName(UpgradeCheck check);
