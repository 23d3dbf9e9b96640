#include "device/command_set.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using commands::Backend;
using commands::Direction;

std::vector<std::uint8_t> Bytes(const commands::Command& c) {
    return std::vector<std::uint8_t>(c.cdb.begin(), c.cdb.begin() + c.cdbLength);
}

void ExpectTailZero(const commands::Command& c) {
    for (std::size_t i = c.cdbLength; i < c.cdb.size(); ++i) EXPECT_EQ(c.cdb[i], 0) << "byte " << i;
}

TEST(CommandSet, ReadBufferMode1MatchesTheDrivesExample) {
    auto c = commands::ReadBufferMode1(1, 0x4000, 0x4000);
    EXPECT_EQ(Bytes(c), (std::vector<std::uint8_t>{0x3C, 0x01, 0x01, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x01}));
    EXPECT_EQ(c.direction, Direction::In);
    EXPECT_EQ(c.transferLength, 0x4000u);
    EXPECT_EQ(c.timeoutSeconds, 256u);
    ExpectTailZero(c);
}

TEST(CommandSet, VendorDownloadMatchesTheDrivesExample) {
    auto c = commands::VendorDownload(1, 0x7E45, 16384, 0x0E89);
    EXPECT_EQ(Bytes(c), (std::vector<std::uint8_t>{0xFD, 0x07, 0x51, 0x4F, 0x52, 0x41, 0x7E, 0x45, 0x0E, 0x89,
                                                   0x01, 0x08}));
    EXPECT_EQ(c.direction, Direction::Out);
    EXPECT_EQ(c.transferLength, 16384u);
    EXPECT_EQ(c.timeoutSeconds, 25000u);
    ExpectTailZero(c);
}

TEST(CommandSet, BufferCommandsPlaceSixteenBitArgumentsBigEndian) {
    auto rb2 = commands::ReadBufferMode2(0x12, 0xABCD, 0x0102);
    EXPECT_EQ(Bytes(rb2), (std::vector<std::uint8_t>{0x3C, 0x02, 0x12, 0x00, 0xAB, 0xCD, 0x00, 0x01, 0x02, 0x00}));
    auto wb7 = commands::WriteBufferMode7(0x02, 0x8000, 0xFFFF);
    EXPECT_EQ(Bytes(wb7), (std::vector<std::uint8_t>{0x3B, 0x07, 0x02, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(wb7.direction, Direction::Out);
    EXPECT_EQ(wb7.transferLength, 0xFFFFu);
    auto wb4 = commands::WriteBufferMode4();
    EXPECT_EQ(Bytes(wb4), (std::vector<std::uint8_t>{0x3B, 0x04, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(wb4.direction, Direction::Out);
    EXPECT_EQ(wb4.transferLength, 0u);
}

TEST(CommandSet, InquiryModeSenseAndTestUnitReadyDifferByBackend) {
    auto ia = commands::Inquiry(Backend::Aspi);
    EXPECT_EQ(Bytes(ia), (std::vector<std::uint8_t>{0x12, 0, 0, 0, 0x64, 0}));
    EXPECT_EQ(ia.transferLength, 100u);
    auto ip = commands::Inquiry(Backend::PassThrough);
    EXPECT_EQ(Bytes(ip), (std::vector<std::uint8_t>{0x12, 0, 0, 0, 0xC0, 0}));
    EXPECT_EQ(ip.transferLength, 512u);

    auto ma = commands::ModeSense(Backend::Aspi);
    EXPECT_EQ(Bytes(ma), (std::vector<std::uint8_t>{0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0x64, 0, 0, 0}));
    auto mp = commands::ModeSense(Backend::PassThrough);
    EXPECT_EQ(Bytes(mp), (std::vector<std::uint8_t>{0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0x64, 0}));
    EXPECT_EQ(mp.transferLength, 100u);
    EXPECT_EQ(mp.direction, Direction::In);

    auto tur = commands::TestUnitReady();
    EXPECT_EQ(Bytes(tur), std::vector<std::uint8_t>(12, 0));
    EXPECT_EQ(tur.direction, Direction::In);
    EXPECT_EQ(tur.transferLength, 0u);
}

TEST(CommandSet, DvdRomOnlyRuleReadsCapabilityBytesTenAndEleven) {
    struct Case { std::uint8_t b10, b11; int expected; };
    const Case cases[] = {{0x08, 0x00, 1}, {0x08, 0x01, 0}, {0x08, 0x02, 0},
                          {0x00, 0x00, 0}, {0x3B, 0x30, 1}, {0xF7, 0x00, 0}};
    for (const Case& c : cases) {
        std::uint8_t data[100] = {};
        data[10] = c.b10;
        data[11] = c.b11;
        EXPECT_EQ(commands::DvdRomOnlyFromModeSense(data), c.expected)
            << std::hex << int(c.b10) << "/" << int(c.b11);
    }
}

TEST(CommandSet, InquiryAcceptsOnlyPeripheralTypeFive) {
    std::uint8_t data[100] = {};
    data[0] = 0x25;  // qualifier 1, type 5
    EXPECT_TRUE(commands::InquiryAccepted(data));
    data[0] = 0x05;
    EXPECT_TRUE(commands::InquiryAccepted(data));
    data[0] = 0x00;  // disk
    EXPECT_FALSE(commands::InquiryAccepted(data));
    data[0] = 0x15;  // type 0x15, not 5
    EXPECT_FALSE(commands::InquiryAccepted(data));
}

TEST(CommandSet, InquiryFieldsKeepTheirTerminatingNul) {
    DeviceRecord r;
    std::memset(&r, 0, sizeof r);
    std::uint8_t data[100];
    std::memset(data, 'X', sizeof data);  // a drive that never sends a NUL
    commands::CopyInquiryFields(data, r);
    EXPECT_EQ(std::strlen(r.vendorId), 8u);
    EXPECT_EQ(std::strlen(r.productId), 16u);
    EXPECT_EQ(std::strlen(r.productRevision), 6u);
    EXPECT_EQ(std::strlen(r.identity), 24u);
    EXPECT_EQ(r.dosDeviceName[0], 0);
}

TEST(CommandSet, ShortInquiryAnswerLeavesRevisionTailZero) {
    DeviceRecord r;
    std::memset(&r, 0, sizeof r);
    std::uint8_t data[100] = {};  // zero-filled, the drive returns 36 bytes
    const char answer[] = "\x05\x80\x00\x32\x1F\x00\x00\x00TAVRINE KTX7724R05      P1.2";
    std::memcpy(data, answer, 36);
    commands::CopyInquiryFields(data, r);
    EXPECT_STREQ(r.vendorId, "TAVRINE ");
    EXPECT_STREQ(r.productId, "KTX7724R05      ");
    EXPECT_EQ(std::memcmp(r.productRevision, "P1.2\0\0\0", 7), 0);
    EXPECT_STREQ(r.identity, "TAVRINE KTX7724R05      ");
}

}  // namespace
