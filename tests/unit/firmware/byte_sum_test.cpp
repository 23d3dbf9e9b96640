#include "firmware/firmware_package.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ByteSum16, WrapsModulo65536) {
    const std::vector<std::uint8_t> allFF(0x20000, 0xFF);
    EXPECT_EQ(byteSum16(allFF.data(), allFF.size()), 0x0000);  // 131,072 * 255 = 0x1FE0000
    EXPECT_EQ(byteSum16(allFF.data(), 0x4000), 0xC000);          // 16,384 * 255 = 0x3FC000
    EXPECT_EQ(byteSum16(allFF.data(), 0x102), 0x00FE);           // 258 * 255 = 0x100FE
}

TEST(ByteSum16, TakesBytesAsUnsignedAndHonoursCount) {
    const std::uint8_t bytes[] = {0x80, 0xFF, 0x01, 0x7F, 0x55};
    EXPECT_EQ(byteSum16(bytes, 4), 0x01FF);
    EXPECT_EQ(byteSum16(bytes, 0), 0x0000);
    const std::vector<std::uint8_t> zeros(0x20000, 0);
    EXPECT_EQ(byteSum16(zeros.data(), zeros.size()), 0x0000);
}
