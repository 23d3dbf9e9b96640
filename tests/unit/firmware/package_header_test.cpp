#include "firmware/package_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "firmware/firmware_package.h"

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

}  // namespace
