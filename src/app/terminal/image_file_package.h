#pragma once
// ktxflash --image: a raw 131,072-byte image file made into a package in
// memory, as ktxcombine would make it (the revision tag and mask given, the
// image's own sum as the expected sum), so that the upgrade, --verify and
// --info treat it as they treat the embedded package. When the maker's sum
// is given, the image must have it.

#include <cstdint>

#include "platform/buffer_allocator.h"

enum class ImageFileProblem {
    None,
    CannotRead,  // no such file, or it cannot be read
    WrongSize,   // not exactly the image size (or not readable to its end)
    SumDiffers,  // the image's sum is not the one given
    NoMemory,
};

struct ImageFileRequest {
    const char* path = nullptr;
    const char* revisionTag = "";  // at most 4 characters
    std::uint8_t mask = 0;
    bool sumGiven = false;
    std::uint16_t sum = 0;
};

// Fills `block` (taken here, the package size) with the package; `imageSum`
// is the image's own sum once the file was read whole.
ImageFileProblem LoadImageFilePackage(const ImageFileRequest& request, OwnedBuffer& block, std::uint16_t& imageSum);
