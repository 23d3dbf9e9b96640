// The firmware package header as FirmwarePackage reads it: the first 32
// input bytes become the header of a package block whose image is the sample
// image; the bytes after them (if any) give a tag, a sum and a mask for a
// header the combine step writes.
//
// Invariants: each field reads as an independent reading of the same bytes
// says (strncpy for the tag, sscanf "%X" on a NUL-terminated copy for the
// sum, memcmp for the template marker); the image is the block's; and a
// header written by WriteCombinedHeader reads back as what was written.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "combine_package.h"

#include "firmware/firmware_package.h"
#include "fuzz_support.h"

#include "sample_image.h"


namespace {

using namespace package_layout;

std::vector<std::uint8_t> BlockWithSampleImage() {
    std::vector<std::uint8_t> block(kPackageSize, 0);
    const std::vector<std::uint8_t> image = MakeSampleImage();
    std::memcpy(block.data() + kImageOffset, image.data(), image.size());
    return block;
}

void CheckReading(const std::uint8_t* block) {
    const FirmwarePackage package(block);

    char tag[kRevisionTagLength + 1] = {};
    std::strncpy(tag, reinterpret_cast<const char*>(block + kRevisionTagOffset), kRevisionTagLength);
    FUZZ_CHECK(std::memcmp(package.revisionTag().data(), tag, sizeof tag) == 0);

    char sumText[kExpectedSumLength + 1] = {};
    std::memcpy(sumText, block + kExpectedSumOffset, kExpectedSumLength);
    FUZZ_CHECK(std::string(package.expectedSumText().c_str()) == std::string(sumText));
    unsigned scanned = 0;
    if (std::sscanf(sumText, "%X", &scanned) != 1) scanned = 0;
    FUZZ_CHECK(package.expectedSum() == (scanned & 0xFFFFu));

    FUZZ_CHECK(package.versionCheckMask() == block[kVersionCheckMaskOffset]);
    FUZZ_CHECK(package.isUncombined() == (std::memcmp(block, "INSERT_FIRMWARE", 15) == 0));
    FUZZ_CHECK(package.image() == block + kHeaderSize);
}

// A header the combine step writes reads back as written.
void CheckWrittenHeaderReadsBack(FuzzedDataProvider& input) {
    std::string tag = input.ConsumeRandomLengthString(kRevisionTagLength);
    for (char& c : tag) c = static_cast<char>(0x20 + static_cast<unsigned char>(c) % 0x5F);  // printable
    const std::uint16_t sum = input.ConsumeIntegral<std::uint16_t>();
    const std::uint8_t mask = input.ConsumeIntegral<std::uint8_t>();

    static std::vector<std::uint8_t> block(kPackageSize, 0xCC);
    WriteCombinedHeader(block.data(), tag, sum, mask);
    const FirmwarePackage package(block.data());
    FUZZ_CHECK(std::string(package.revisionTag().data()) == tag);
    FUZZ_CHECK(package.expectedSum() == sum);
    FUZZ_CHECK(package.expectedSumText().size() == kExpectedSumLength);
    FUZZ_CHECK(package.versionCheckMask() == mask);
    FUZZ_CHECK(!package.isUncombined());
    // Only the header was written.
    FUZZ_CHECK(block[kHeaderSize] == 0xCC && block[kPackageSize - 1] == 0xCC);
    CheckReading(block.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const std::vector<std::uint8_t> pristine = BlockWithSampleImage();
    static std::vector<std::uint8_t> block = pristine;

    const std::size_t headerBytes = size < kHeaderSize ? size : kHeaderSize;
    std::memset(block.data(), 0, kHeaderSize);
    std::memcpy(block.data(), bytes, headerBytes);
    CheckReading(block.data());
    // Reading never changes the block.
    FUZZ_CHECK(std::memcmp(block.data() + kHeaderSize, pristine.data() + kHeaderSize, kImageSize) == 0);

    FuzzedDataProvider rest(bytes + headerBytes, size - headerBytes);
    CheckWrittenHeaderReadsBack(rest);
    return 0;
}
