#include "app/terminal/image_file_package.h"

#include <cstdio>
#include <cstring>

#include "app/terminal/flash_run.h"
#include "firmware/upgrade_procedure.h"
#include "firmware/firmware_package.h"
#include "platform/display_text.h"

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

namespace terminal {

bool FlashRun::LoadImage() {
    ImageFileRequest request;
    request.path = line_.imageFile;
    request.revisionTag = line_.imageRevision != nullptr ? line_.imageRevision : "";
    request.mask = static_cast<std::uint8_t>(line_.imageMask);
    request.sha256 = line_.imageSha256;
    request.byteSum = line_.imageSum;
    ImageFingerprints fingerprints{};
    const ImageFileProblem problem = LoadImageFilePackage(request, imageBlock_, fingerprints);
    char sha256[kSha256TextSize];
    FormatSha256(fingerprints.sha256, sha256);
    MessageText text;
    switch (problem) {
    case ImageFileProblem::None:
        break;
    case ImageFileProblem::CannotRead:
        Error(line_.imageFile, "the image file cannot be read");
        return false;
    case ImageFileProblem::WrongSize:
        Error(line_.imageFile, "not an image: it does not hold exactly 131,072 bytes");
        return false;
    case ImageFileProblem::Sha256Differs: {
        char expected[kSha256TextSize];
        FormatSha256(line_.imageSha256.sha256, expected);
        text.Format("the file's SHA-256 is %s, not the %s given with --sha256; it is not the image its maker "
                    "published, and nothing was sent to the drive",
                    sha256, expected);
        Error(line_.imageFile, text.c_str());
        return false;
    }
    case ImageFileProblem::SumDiffers:
        text.Format("the image's byte sum is %04X, not the %04X given with --sum; it is not the image its maker "
                    "published, and nothing was sent to the drive",
                    static_cast<unsigned>(fingerprints.byteSum), static_cast<unsigned>(line_.imageSum.byteSum));
        Error(line_.imageFile, text.c_str());
        return false;
    case ImageFileProblem::NoMemory:
        Error(line_.imageFile, kWriteMemoryFailedText);
        return false;
    }
    package_ = FirmwarePackage(imageBlock_.get());
    text.Assign("Image file: ");
    AppendDisplayPath(text, line_.imageFile);
    face_.PrintLine(text.c_str());
    const bool shaGiven = line_.imageSha256.kind != PublishedCheck::Kind::None;
    const bool sumGiven = line_.imageSum.kind != PublishedCheck::Kind::None;
    text.Format("  SHA-256 %s%s", sha256, shaGiven ? " (as given with --sha256)" : "");
    face_.PrintLine(text.c_str());
    text.Format("  byte sum %04X%s", static_cast<unsigned>(fingerprints.byteSum),
                sumGiven ? " (as given with --sum)" : "");
    face_.PrintLine(text.c_str());
    if (!shaGiven && !sumGiven)
        face_.PrintLine("  not checked against its maker's check (--unchecked-image)");
    return true;
}

}  // namespace terminal
