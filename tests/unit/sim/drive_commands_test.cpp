// What the simulated drive answers to each command the tool sends, and how
// the data-in length is bounded.

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <thread>

#include "drive_test_support.h"

#include "hex_text.h"

#include "sample_image.h"


namespace {

using commands::Backend;
using sim::ScsiOutcome;
using sim::SimulatedDrive;
using sim_test::LastLine;
using sim_test::Send;
using testing::HasSubstr;

std::string Text(const std::vector<std::uint8_t>& data, std::size_t from, std::size_t count) {
    return std::string(data.begin() + from, data.begin() + from + count);
}

TEST(DriveCommands, ShortInquiryAnswerHoldsThePaddedStringsAndNothingMore) {
    sim::Trace trace;
    sim::DriveConfig config;
    config.inquiryLength = 36;
    SimulatedDrive drive(config, trace);
    std::vector<std::uint8_t> data(100, 0xEE);

    ASSERT_EQ(Send(drive, commands::Inquiry(Backend::Aspi), data.data()), ScsiOutcome::Good);

    EXPECT_EQ(data[0], 0x05);
    EXPECT_EQ(data[4], 31);  // additional length: 36 - 5
    EXPECT_EQ(Text(data, 8, 8), "TAVRINE ");
    EXPECT_EQ(Text(data, 16, 16), "KTX7724R05      ");
    EXPECT_EQ(Text(data, 32, 4), "P1.2");
    EXPECT_EQ(data[36], 0xEE);  // not sent
    EXPECT_THAT(LastLine(trace), HasSubstr("0:0 #1 CDB 12 00 00 00 64 00 | in 100, 36 returned, sum 0x"));
}

TEST(DriveCommands, InquiryAnswerPassesTheToolsInquiryCheck) {
    sim::Trace trace;
    sim::DriveConfig config;
    config.peripheral = 0x25;  // qualifier 1, CD/DVD device
    config.vendor = "ACME";
    config.revision = "Q7";
    SimulatedDrive drive(config, trace);
    std::vector<std::uint8_t> data(512, 0);

    ASSERT_EQ(Send(drive, commands::Inquiry(Backend::PassThrough), data.data()), ScsiOutcome::Good);

    EXPECT_THAT(LastLine(trace), HasSubstr("| in 512, 96 returned, sum 0x"));
    EXPECT_TRUE(commands::InquiryAccepted(data.data()));
    DeviceRecord record{};
    commands::CopyInquiryFields(data.data(), record);
    EXPECT_STREQ(record.vendorId, "ACME    ");
    EXPECT_STREQ(record.productId, "KTX7724R05      ");
    EXPECT_EQ(std::memcmp(record.productRevision, "Q7  \0\0", 7), 0);
}

TEST(DriveCommands, DataInStopsAtTheHostsLengthAndTheAllocationLength) {
    sim::Trace trace;
    SimulatedDrive drive(sim::DriveConfig{}, trace);
    std::vector<std::uint8_t> data(100, 0xEE);

    // The host's buffer is smaller than the CDB asks for.
    const commands::Command inquiry = commands::Inquiry(Backend::Aspi);
    ASSERT_EQ(drive.Execute(inquiry.cdb.data(), 6, sim::DataDirection::In, data.data(), 20), ScsiOutcome::Good);
    EXPECT_EQ(data[16], 'K');
    EXPECT_EQ(data[19], '7');
    EXPECT_EQ(data[20], 0xEE);
    EXPECT_THAT(LastLine(trace), HasSubstr("in 20, 20 returned"));

    // The CDB asks for less than the host's buffer holds.
    commands::Command modeSense = commands::ModeSense(Backend::PassThrough);
    modeSense.cdb[8] = 11;
    std::fill(data.begin(), data.end(), 0xEE);
    ASSERT_EQ(Send(drive, modeSense, data.data()), ScsiOutcome::Good);
    EXPECT_EQ(data[10], 0x08);
    EXPECT_EQ(data[11], 0xEE);
    EXPECT_THAT(LastLine(trace), HasSubstr("in 100, 11 returned"));
}

TEST(DriveCommands, ModeSenseCarriesTheCapabilityBytesAfterAnEightByteHeader) {
    sim::DriveConfig config;
    config.capability10 = 0x3B;
    config.capability11 = 0x30;
    for (Backend backend : {Backend::Aspi, Backend::PassThrough}) {
        sim::Trace trace;
        SimulatedDrive drive(config, trace);
        std::vector<std::uint8_t> data(100, 0);
        ASSERT_EQ(Send(drive, commands::ModeSense(backend), data.data()), ScsiOutcome::Good);
        EXPECT_EQ(data[7], 0);  // no block descriptors: the page follows the header
        EXPECT_EQ(data[8], 0x2A);
        EXPECT_EQ(data[10], 0x3B);
        EXPECT_EQ(data[11], 0x30);
        EXPECT_EQ(commands::DvdRomOnlyFromModeSense(data.data()), 1);
    }
}

TEST(DriveCommands, ReadBufferMode1ServesTheImageByBufferIdAndOffset) {
    sim::Trace trace;
    SimulatedDrive drive(sim::DriveConfig{}, trace);
    const std::vector<std::uint8_t> sample = MakeSampleImage();

    std::vector<std::uint8_t> readBack;
    for (std::uint32_t offset = 0; offset < kImageSize; offset += kBlockSize) {
        std::vector<std::uint8_t> block(kBlockSize);
        const commands::Command command = commands::ReadBufferMode1(
            static_cast<std::uint8_t>(offset >> 16), static_cast<std::uint16_t>(offset & 0xFFFF), kBlockSize);
        ASSERT_EQ(Send(drive, command, block.data()), ScsiOutcome::Good) << offset;
        readBack.insert(readBack.end(), block.begin(), block.end());
    }
    EXPECT_EQ(readBack, sample);
    EXPECT_EQ(LastLine(trace),
              "0:0 #8 CDB 3C 01 01 00 C0 00 00 40 00 01 | in 16384, 16384 returned, sum " +
                  sim::Hex16(byteSum16(sample.data() + 7 * kBlockSize, kBlockSize)) + " | good: firmware at 114688");

}

TEST(DriveCommands, ReadBufferMode1BeyondTheImageIsRefused) {
    sim::Trace trace;
    SimulatedDrive drive(sim::DriveConfig{}, trace);
    std::vector<std::uint8_t> data(kBlockSize, 0xEE);
    EXPECT_EQ(Send(drive, commands::ReadBufferMode1(2, 0, kBlockSize), data.data()), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("0 returned | check: offset 131072 + length 16384 beyond the 131072-byte"));
    EXPECT_EQ(Send(drive, commands::ReadBufferMode1(1, 0xC001, kBlockSize), data.data()),
              ScsiOutcome::CheckCondition);
    EXPECT_EQ(data, std::vector<std::uint8_t>(kBlockSize, 0xEE));
    // The last block ends exactly at the end of the image.
    EXPECT_EQ(Send(drive, commands::ReadBufferMode1(1, 0xC000, kBlockSize), data.data()), ScsiOutcome::Good);
}

TEST(DriveCommands, WriteBufferMode7IsEchoedByReadBufferMode2AndInstallsNothing) {
    sim::Trace trace;
    SimulatedDrive drive(sim::DriveConfig{}, trace);
    std::vector<std::uint8_t> written(0x100);
    for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i ^ 0x5A);

    ASSERT_EQ(Send(drive, commands::WriteBufferMode7(1, 0x0200, 0x100), written.data()), ScsiOutcome::Good);
    EXPECT_THAT(LastLine(trace), HasSubstr("| out 256, sum 0x"));
    EXPECT_THAT(LastLine(trace), HasSubstr("good: kept in the data buffer at 66048, not installed"));
    std::vector<std::uint8_t> read(0x100);
    ASSERT_EQ(Send(drive, commands::ReadBufferMode2(1, 0x0200, 0x100), read.data()), ScsiOutcome::Good);
    EXPECT_EQ(read, written);

    ASSERT_EQ(Send(drive, commands::WriteBufferMode4(), nullptr), ScsiOutcome::Good);
    EXPECT_EQ(drive.image(), MakeSampleImage());
    EXPECT_EQ(drive.revision(), "P1.2");

    EXPECT_EQ(Send(drive, commands::WriteBufferMode7(2, 0, 0x100), written.data()), ScsiOutcome::CheckCondition);
}

TEST(DriveCommands, UnknownOrTruncatedCommandsAndMissingBuffersAreRefused) {
    sim::Trace trace;
    SimulatedDrive drive(sim::DriveConfig{}, trace);
    const std::uint8_t read10[10] = {0x28};
    EXPECT_EQ(drive.Execute(read10, 10, sim::DataDirection::In, nullptr, 0), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: unsupported opcode 0x28"));

    const commands::Command download = commands::VendorDownload(1, 0, kBlockSize, 0);
    std::vector<std::uint8_t> data(kBlockSize);
    EXPECT_EQ(drive.Execute(download.cdb.data(), 6, sim::DataDirection::Out, data.data(), kBlockSize),
              ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: CDB of 6 bytes, opcode 0xFD needs 12"));

    const commands::Command inquiry = commands::Inquiry(Backend::Aspi);
    EXPECT_EQ(drive.Execute(inquiry.cdb.data(), 6, sim::DataDirection::In, nullptr, 100), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: no data buffer for 100 bytes"));

    EXPECT_EQ(drive.Execute(nullptr, 0, sim::DataDirection::None, nullptr, 0), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: empty CDB"));
    EXPECT_EQ(drive.vendorCommandCount(), 1);
}

TEST(DriveCommands, ConcurrentCommandsAreNumberedOnceEach) {
    sim::Trace trace;
    SimulatedDrive drive(sim::DriveConfig{}, trace);
    auto work = [&] {
        for (int i = 0; i < 200; ++i) Send(drive, commands::TestUnitReady(), nullptr);
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(drive.commandCount(), 400u);
    const std::vector<std::string> lines = trace.lines();
    ASSERT_EQ(lines.size(), 400u);
    std::set<std::string> numbers;
    for (const std::string& line : lines) numbers.insert(line.substr(0, line.find(" CDB")));
    EXPECT_EQ(numbers.size(), 400u);
}

}  // namespace
