#pragma once
// The drive's firmware against an image, block by block (the 16 KiB blocks
// the download sends): which blocks hold the same bytes.

#include <cstdint>

#include "firmware/package_layout.h"

struct BlockComparison {
    bool same[package_layout::kBlockCount] = {};
    int differing = 0;
    bool allSame() const { return differing == 0; }
};

// Compares two images of kImageSize bytes.
BlockComparison CompareBlocks(const std::uint8_t* drive, const std::uint8_t* image);
