#include "app/terminal/image_file_package.h"

#include <cstdio>
#include <cstring>

#include "firmware/firmware_package.h"

ImageFileProblem LoadImageFilePackage(const ImageFileRequest& request, OwnedBuffer& block,
                                      ImageFingerprints& fingerprints) {
    if (!block.Allocate(package_layout::kPackageSize)) return ImageFileProblem::NoMemory;
    std::FILE* file = std::fopen(request.path, "rb");
    if (file == nullptr) return ImageFileProblem::CannotRead;
    // Byte by byte: the Windows programs import fgetc, not fread, and the
    // image is small.
    std::uint8_t* image = block.get() + package_layout::kImageOffset;
    std::uint32_t count = 0;
    int c = 0;
    while (count <= kImageSize && (c = std::fgetc(file)) != EOF) {
        if (count < kImageSize) image[count] = static_cast<std::uint8_t>(c);
        ++count;
    }
    std::fclose(file);
    // A read that fails part-way ends like a short file.
    if (count != kImageSize) return ImageFileProblem::WrongSize;

    fingerprints = FingerprintImage(image, kImageSize);
    if (HoldAgainst(request.sha256, fingerprints) == PublishedCheckResult::Differs) return ImageFileProblem::Sha256Differs;
    if (HoldAgainst(request.byteSum, fingerprints) == PublishedCheckResult::Differs) return ImageFileProblem::SumDiffers;
    WriteCombinedHeader(block.get(), request.revisionTag, std::strlen(request.revisionTag), fingerprints.byteSum,
                        request.mask);
    return ImageFileProblem::None;
}
