// The operations ScsiTransport writes once for every transport: which
// command each sends, where its data go (the caller's buffer or the
// transport's reply area), and what INQUIRY and MODE SENSE make of a reply.

#include "device/scsi_transport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/command_set.h"
#include "fake_transport.h"

namespace {

class SharedOperations : public ::testing::Test {
protected:
    const FakeTransport::Sent& Last() { return transport.sent.back(); }
    std::vector<std::uint8_t> Cdb(const commands::Command& command) {
        return std::vector<std::uint8_t>(command.cdb.begin(), command.cdb.begin() + command.cdbLength);
    }

    std::vector<std::string> log;
    FakeTransport transport{log};
};

TEST_F(SharedOperations, BufferCommandsCarryTheCallersDataAndTheCommandSetsBytes) {
    std::uint8_t data[0x4000] = {};
    transport.WriteBufferMode7(data, 2, 0x1234, 0x4000);
    EXPECT_EQ(Last().data, data);
    EXPECT_FALSE(Last().command.usesReplyArea);
    EXPECT_EQ(Cdb(Last().command), Cdb(commands::WriteBufferMode7(2, 0x1234, 0x4000)));
    EXPECT_EQ(Last().command.direction, commands::Direction::Out);

    transport.ReadBufferMode2(data, 1, 0x10, 0x20);
    EXPECT_EQ(Last().data, data);
    EXPECT_EQ(Cdb(Last().command), Cdb(commands::ReadBufferMode2(1, 0x10, 0x20)));

    transport.VendorDownload(data, 3, 0xBEEF, 0x4000, 0x0E89);
    EXPECT_EQ(Last().data, data);
    EXPECT_EQ(Cdb(Last().command), Cdb(commands::VendorDownload(3, 0xBEEF, 0x4000, 0x0E89)));
    EXPECT_EQ(Last().command.timeoutSeconds, commands::kVendorDownloadTimeoutSeconds);

    transport.WriteBufferMode4();
    EXPECT_EQ(Last().data, nullptr);
    EXPECT_FALSE(Last().command.usesReplyArea) << "travels like the other buffer commands";
}

TEST_F(SharedOperations, StatusCommandsUseTheReplyArea) {
    transport.TestUnitReady();
    EXPECT_EQ(Last().data, nullptr);
    EXPECT_TRUE(Last().command.usesReplyArea);
    EXPECT_EQ(Last().command.cdbLength, 12);

    transport.ModeSense();
    EXPECT_TRUE(Last().command.usesReplyArea);
    transport.Inquiry();
    EXPECT_TRUE(Last().command.usesReplyArea);
}

TEST_F(SharedOperations, InquiryTakesTheFieldsOfACdDvdDeviceOnly) {
    std::memcpy(&transport.inquiryData[8], "TAVRINE KTX7724R05      P1.2  ", 30);
    transport.inquiryData[0] = 0x00;  // a disk: refused, the record untouched
    EXPECT_EQ(transport.Inquiry(), 0);
    EXPECT_EQ(transport.current.vendorId[0], '\0');

    transport.inquiryData[0] = 0x85;  // CD/DVD, qualifier bits set
    EXPECT_EQ(transport.Inquiry(), 1);
    EXPECT_STREQ(transport.current.vendorId, "TAVRINE ");
    EXPECT_STREQ(transport.current.productId, "KTX7724R05      ");
    EXPECT_STREQ(transport.current.productRevision, "P1.2  ");

    transport.inquiryResult = 0;  // the command failed: nothing judged
    transport.inquiryData[8] = 'X';
    EXPECT_EQ(transport.Inquiry(), 0);
    EXPECT_STREQ(transport.current.vendorId, "TAVRINE ");
}

TEST_F(SharedOperations, ModeSenseSetsTheDvdRomFlagOnlyWhenItSucceeds) {
    transport.dvdRomOnlyAfterModeSense = 1;
    EXPECT_EQ(transport.ModeSense(), 1);
    EXPECT_EQ(transport.dvdRomOnly, 1);
    transport.dvdRomOnlyAfterModeSense = 0;
    EXPECT_EQ(transport.ModeSense(), 1);
    EXPECT_EQ(transport.dvdRomOnly, 0);
    transport.dvdRomOnlyAfterModeSense = 1;
    transport.modeSenseResult = 0;
    EXPECT_EQ(transport.ModeSense(), 0);
    EXPECT_EQ(transport.dvdRomOnly, 0) << "a failed MODE SENSE leaves the flag";
}

TEST_F(SharedOperations, PrepareSetsTheVersionsAndTheImageSize) {
    transport.current.versionMajor = 3;
    transport.current.versionMinor = 4;
    EXPECT_EQ(transport.Prepare(), 1);
    EXPECT_EQ(transport.current.versionMajor, 0);
    EXPECT_EQ(transport.current.versionMinor, 0);
    EXPECT_EQ(transport.current.imageSize, kImageSize);
}

}  // namespace
