#include "firmware/firmware_package.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace {

using package_layout::kHeaderSize;
using package_layout::kPackageSize;

std::string SumFieldFor(std::uint16_t sum) {
    std::vector<std::uint8_t> header(kHeaderSize, 0xAA);
    WriteCombinedHeader(header.data(), "P1.3", 4, sum, 0x0F);
    return std::string(header.begin() + 5, header.begin() + 9);
}

TEST(WriteCombinedHeader, WritesTheSumAsFourUpperCaseDigitsMostSignificantFirst) {
    EXPECT_EQ(SumFieldFor(0x0000), "0000");
    EXPECT_EQ(SumFieldFor(0x000A), "000A");
    EXPECT_EQ(SumFieldFor(0x1A2B), "1A2B");
    EXPECT_EQ(SumFieldFor(0xC0DE), "C0DE");
    EXPECT_EQ(SumFieldFor(0xFFFF), "FFFF");
}

TEST(WriteCombinedHeader, EverySumReadsBackAsWritten) {
    std::vector<std::uint8_t> package(kPackageSize, 0);
    for (unsigned sum = 0; sum <= 0xFFFF; ++sum) {
        WriteCombinedHeader(package.data(), "P1", 2, static_cast<std::uint16_t>(sum), 0x03);
        const FirmwarePackage view(package.data());
        ASSERT_EQ(view.expectedSum(), sum);
        ASSERT_EQ(view.versionCheckMask(), 0x03);
    }
}

TEST(VersionMaskProblem, AMaskSelectsOnlyCharactersTheTagHas) {
    const struct {
        std::size_t tagLength;
        unsigned mask;
        bool accepted;
    } cases[] = {
        {4, 0x00, true}, {4, 0x0C, true}, {4, 0x0F, true}, {4, 0x10, false}, {4, 0xF0, false},
        {2, 0x0C, true}, {2, 0x08, true}, {2, 0x0E, false}, {2, 0x01, false},
        {0, 0x00, true}, {0, 0x08, false}, {0, 0x0F, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionMaskProblem(c.tagLength, c.mask) == nullptr, c.accepted)
            << "tag of " << c.tagLength << " characters, mask 0x" << std::hex << c.mask;
    }
}

}  // namespace
