// ktxflash --image: a raw 131,072-byte image file made into a package in
// memory, as ktxcombine would make it (the revision tag and mask given, the
// image's own sum as the expected sum), so that the upgrade, --verify and
// --info treat it as they treat the embedded package. The image must have
// the SHA-256 and byte sum its maker published, where they are given; else
// LoadImage prints the error and returns false.

#include <cstring>

#include "app/terminal/flash_program.h"
#include "firmware/upgrade_procedure.h"
#include "platform/display_text.h"

namespace terminal {

bool FlashRun::LoadImage() {
    const char* path = line_.imageFile;
    if (!imageBlock_.Allocate(package_layout::kPackageSize)) {
        Error(path, kWriteMemoryFailedText);
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        Error(path, "the image file cannot be read");
        return false;
    }
    // Byte by byte: the Windows programs import fgetc, not fread, and the
    // image is small.
    std::uint8_t* image = imageBlock_.get() + package_layout::kImageOffset;
    std::uint32_t count = 0;
    int c = 0;
    while (count <= kImageSize && (c = std::fgetc(file)) != EOF) {
        if (count < kImageSize) image[count] = static_cast<std::uint8_t>(c);
        ++count;
    }
    std::fclose(file);
    // A read that fails part-way ends like a short file.
    if (count != kImageSize) {
        Error(path, "not an image: it does not hold exactly 131,072 bytes");
        return false;
    }

    const ImageFingerprints fingerprints = FingerprintImage(image, kImageSize);
    char sha256[kSha256TextSize];
    FormatSha256(fingerprints.sha256, sha256);
    MessageText text;
    if (HoldAgainst(line_.imageSha256, fingerprints) == PublishedCheckResult::Differs) {
        char expected[kSha256TextSize];
        FormatSha256(line_.imageSha256.sha256, expected);
        text.Format("the file's SHA-256 is %s, not the %s given with --sha256; it is not the image its maker "
                    "published, and nothing was sent to the drive",
                    sha256, expected);
        Error(path, text.c_str());
        return false;
    }
    if (HoldAgainst(line_.imageSum, fingerprints) == PublishedCheckResult::Differs) {
        text.Format("the image's byte sum is %04X, not the %04X given with --sum; it is not the image its maker "
                    "published, and nothing was sent to the drive",
                    static_cast<unsigned>(fingerprints.byteSum), static_cast<unsigned>(line_.imageSum.byteSum));
        Error(path, text.c_str());
        return false;
    }
    const char* tag = line_.imageRevision != nullptr ? line_.imageRevision : "";
    WriteCombinedHeader(imageBlock_.get(), tag, std::strlen(tag), fingerprints.byteSum,
                        static_cast<std::uint8_t>(line_.imageMask));
    package_ = FirmwarePackage(imageBlock_.get());

    text.Assign("Image file: ");
    AppendDisplayPath(text, path);
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
