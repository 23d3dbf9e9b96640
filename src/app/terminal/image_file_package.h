#pragma once
// ktxflash --image: a raw 131,072-byte image file made into a package in
// memory, as ktxcombine would make it (the revision tag and mask given, the
// image's own sum as the expected sum), so that the upgrade, --verify and
// --info treat it as they treat the embedded package. The image must have
// the SHA-256 and byte sum its maker published, where they are given.

#include <cstdint>

#include "firmware/published_check.h"
#include "platform/buffer_allocator.h"

enum class ImageFileProblem {
    None,
    CannotRead,  // no such file, or it cannot be read
    WrongSize,   // not exactly the image size (or not readable to its end)
    Sha256Differs,  // the file's SHA-256 is not the one given
    SumDiffers,     // the image's byte sum is not the one given
    NoMemory,
};

struct ImageFileRequest {
    const char* path = nullptr;
    const char* revisionTag = "";  // at most 4 characters
    std::uint8_t mask = 0;
    PublishedCheck sha256;   // kind None: not given
    PublishedCheck byteSum;  // kind None: not given
};

// Fills `block` (taken here, the package size) with the package;
// `fingerprints` are the image's own once the file was read whole.
ImageFileProblem LoadImageFilePackage(const ImageFileRequest& request, OwnedBuffer& block,
                                      ImageFingerprints& fingerprints);
