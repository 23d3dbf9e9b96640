#include "firmware/firmware_package.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using package_layout::kPackageSize;

class PackageBlock {
public:
    PackageBlock() : bytes_(kPackageSize, 0) {}
    PackageBlock& At(std::size_t offset, const char* text, std::size_t length) {
        std::memcpy(bytes_.data() + offset, text, length);
        return *this;
    }
    PackageBlock& SumText(const char (&text)[5]) { return At(5, text, 4); }
    FirmwarePackage View() const { return FirmwarePackage(bytes_.data()); }
    std::uint8_t& operator[](std::size_t i) { return bytes_[i]; }

private:
    std::vector<std::uint8_t> bytes_;
};

std::uint16_t SumOf(const char (&text)[5]) {
    PackageBlock block;
    block.SumText(text);
    return block.View().expectedSum();
}

}  // namespace

TEST(FirmwarePackageExpectedSum, ReadsHexDigitsOfEitherCase) {
    EXPECT_EQ(SumOf("0E89"), 0x0E89);
    EXPECT_EQ(SumOf("0e89"), 0x0E89);
    EXPECT_EQ(SumOf("FFFF"), 0xFFFF);
    EXPECT_EQ(SumOf("E89\0"), 0x0E89);
}

TEST(FirmwarePackageExpectedSum, StopsAtTheFirstNonDigitAndReadsZeroWithoutDigits) {
    EXPECT_EQ(SumOf("    "), 0);
    EXPECT_EQ(SumOf("ZZZZ"), 0);
    EXPECT_EQ(SumOf("\0E89"), 0);  // a leading NUL ends the text
    EXPECT_EQ(SumOf("1G23"), 0x1);
    EXPECT_EQ(SumOf(" \t1F"), 0x1F);
    EXPECT_EQ(SumOf("1 23"), 0x1);  // blanks are skipped only in front
}

TEST(FirmwarePackageExpectedSum, AcceptsPrefixAndSignLikeScanf) {
    EXPECT_EQ(SumOf("0x1F"), 0x1F);
    EXPECT_EQ(SumOf("0X1f"), 0x1F);
    EXPECT_EQ(SumOf(" 0x\0"), 0);
    EXPECT_EQ(SumOf("+E89"), 0x0E89);
    // A minus sign negates the unsigned value; the low 16 bits remain.
    EXPECT_EQ(SumOf("-E89"), 0xF177);
    EXPECT_EQ(SumOf("-0x1"), 0xFFFF);
    EXPECT_EQ(SumOf("-   "), 0);
}

TEST(FirmwarePackageExpectedSum, ReadsOnlyTheFourCharacterField) {
    PackageBlock block;
    block.SumText("0E89");
    block[9] = '7';  // would be a fifth digit if the field were read past offset 8
    EXPECT_EQ(block.View().expectedSum(), 0x0E89);
    EXPECT_STREQ(block.View().expectedSumText().c_str(), "0E89");
}

TEST(FirmwarePackageRevisionTag, StopsAtTheFirstNulAndPadsWithNul) {
    PackageBlock block;
    block.At(0, "P1\0X", 4);
    const auto tag = block.View().revisionTag();
    EXPECT_EQ(tag[0], 'P');
    EXPECT_EQ(tag[1], '1');
    EXPECT_EQ(tag[2], '\0');
    EXPECT_EQ(tag[3], '\0');  // the X behind the NUL does not count
    EXPECT_EQ(tag[4], '\0');

    block.At(0, "P1.3Q", 5);  // the byte at offset 4 is never part of the tag
    EXPECT_STREQ(block.View().revisionTag().data(), "P1.3");
}

TEST(FirmwarePackage, ReadsMaskAndImageInPlace) {
    PackageBlock block;
    block[16] = 0xA5;
    block[32] = 0x11;
    const FirmwarePackage view = block.View();
    EXPECT_EQ(view.versionCheckMask(), 0xA5);
    EXPECT_EQ(view.image()[0], 0x11);
    block[33] = 0x22;  // a view, not a copy
    EXPECT_EQ(view.image()[1], 0x22);
}

TEST(FirmwarePackageIsUncombined, DependsOnExactlyTheFirstFifteenBytes) {
    PackageBlock block;
    block.At(0, "INSERT_FIRMWARE", 15);
    EXPECT_TRUE(block.View().isUncombined());
    block.At(15, "\xFF garbage", 9);
    block[16] = 0x0F;
    EXPECT_TRUE(block.View().isUncombined());

    PackageBlock lastLetterDiffers;
    lastLetterDiffers.At(0, "INSERT_FIRMWARF", 15);
    EXPECT_FALSE(lastLetterDiffers.View().isUncombined());

    PackageBlock lowerCase;
    lowerCase.At(0, "insert_firmware", 15);
    EXPECT_FALSE(lowerCase.View().isUncombined());

    PackageBlock combined;
    combined.At(0, "P1.3", 4).SumText("0E89");
    EXPECT_FALSE(combined.View().isUncombined());
}
