#include "sample_image.h"


#include <gtest/gtest.h>

#include <set>

#include "firmware/firmware_package.h"

using package_layout::kBlockCount;

TEST(SampleImage, CarriesTheDriveExampleSums) {
    const auto image = MakeSampleImage();
    ASSERT_EQ(image.size(), kImageSize);
    EXPECT_EQ(byteSum16(image.data(), kBlockSize), 0x7E45);
    EXPECT_EQ(byteSum16(image.data(), image.size()), 0x0E89);
}

TEST(SampleImage, IsDeterministicAndLooksLikeFirmware) {
    const auto image = MakeSampleImage();
    EXPECT_EQ(image, MakeSampleImage());

    std::set<std::uint16_t> laterBlockSums;
    for (std::size_t block = 1; block < kBlockCount; ++block) {
        laterBlockSums.insert(byteSum16(image.data() + block * kBlockSize, kBlockSize));
    }
    EXPECT_EQ(laterBlockSums.size(), kBlockCount - 1) << "blocks 2..8 must have distinct sums";

    // Not a constant fill: most byte values occur, and each block ends in padding.
    std::set<std::uint8_t> values(image.begin(), image.end());
    EXPECT_GT(values.size(), 250u);
    for (std::size_t block = 0; block < kBlockCount; ++block) {
        EXPECT_EQ(image[(block + 1) * kBlockSize - 1], 0xFF) << "block " << block + 1;
    }
}
