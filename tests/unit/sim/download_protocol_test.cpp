// The drive's side of the block download: what it accepts, what it refuses
// and why, and when a new image goes in.

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <functional>

#include "drive_test_support.h"

#include "sample_image.h"


namespace {

using sim::ScsiOutcome;
using sim::SimulatedDrive;
using sim_test::BlockCommand;
using sim_test::LastLine;
using sim_test::SendBlock;
using sim_test::SendBlocks;
using testing::HasSubstr;

class DownloadProtocol : public testing::Test {
protected:
    sim::DriveConfig ZeroImageDrive() {
        sim::DriveConfig config;
        config.target = 1;
        config.image.assign(kImageSize, 0);
        return config;
    }

    void ExpectNothingInstalled(const SimulatedDrive& drive) {
        EXPECT_EQ(drive.revision(), "P1.2");
        EXPECT_EQ(drive.image(), std::vector<std::uint8_t>(kImageSize, 0));
        for (const std::string& line : trace.lines()) EXPECT_THAT(line, testing::Not(HasSubstr("installed image")));
    }

    sim::Trace trace;
    const std::vector<std::uint8_t> image = sim_test::PatternImage();
};

TEST_F(DownloadProtocol, EightGoodBlocksInstallTheImageAndTheDriveReportsP13) {
    SimulatedDrive drive(ZeroImageDrive(), trace);
    const std::vector<std::uint8_t> sample = MakeSampleImage();

    ASSERT_TRUE(SendBlocks(drive, sample, 1, 8));

    EXPECT_EQ(drive.image(), sample);
    EXPECT_EQ(drive.revision(), "P1.3");
    EXPECT_EQ(drive.vendorCommandCount(), 8);
    const std::vector<std::string> lines = trace.lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0],
              "0:1 #1 CDB FD 07 51 4F 52 41 7E 45 0E 89 01 08 | out 16384, sum 0x7E45 | good: block 1 of 8 accepted");
    EXPECT_THAT(lines[7], HasSubstr("good: block 8 of 8 accepted, image complete"));
    EXPECT_EQ(lines[8], "0:1 installed image sum 0x0E89, revision P1.2 -> P1.3");

    std::vector<std::uint8_t> inquiry(100, 0);
    ASSERT_EQ(sim_test::Send(drive, commands::Inquiry(commands::Backend::Aspi), inquiry.data()), ScsiOutcome::Good);
    EXPECT_EQ(std::string(inquiry.begin() + 32, inquiry.begin() + 36), "P1.3");
}

// One malformed version of block 4, the reason the drive gives for it.
struct Malformed {
    const char* name;
    std::function<void(commands::Command&)> change;
    const char* reason;
};

TEST_F(DownloadProtocol, MalformedBlockIsRefusedWithItsReasonAndTheSameBlockMayFollow) {
    const Malformed cases[] = {
        {"byte 1", [](commands::Command& c) { c.cdb[1] = 0x06; }, "check: byte 1 is 0x06, expected 0x07"},
        {"signature", [](commands::Command& c) { c.cdb[5] = 'B'; },
         "check: bad signature 51 4F 52 42, expected 51 4F 52 41 (\"QORA\")"},
        {"byte 11", [](commands::Command& c) { c.cdb[11] = 0x09; }, "check: byte 11 is 0x09, expected 0x08"},
        {"short data", [](commands::Command& c) { c.transferLength = 8192; },
         "check: data length 8192, expected 16384"},
        {"long data", [](commands::Command& c) { c.transferLength = 16385; },
         "check: data length 16385, expected 16384"},
        {"direction", [](commands::Command& c) { c.direction = commands::Direction::In; },
         "check: no data-out phase, expected 16384 bytes"},
        {"block sum", [](commands::Command& c) { c.cdb[6] = 0x12, c.cdb[7] = 0x34; },
         "check: block sum 0x1234 != data sum 0x"},
        {"image sum", [](commands::Command& c) { c.cdb[8] = 0xAB, c.cdb[9] = 0xCD; },
         "check: image sum changed: 0xABCD, block 1 gave 0xFC90"},
        {"order", [](commands::Command& c) { c.cdb[10] = 5; }, "check: block 5 out of order, expected 4"},
        {"block 9", [](commands::Command& c) { c.cdb[10] = 9; }, "check: block 9 outside 1..8"},
        {"block 0", [](commands::Command& c) { c.cdb[10] = 0; }, "check: block 0 outside 1..8"},
    };
    for (const Malformed& bad : cases) {
        SCOPED_TRACE(bad.name);
        sim::Trace ownTrace;
        SimulatedDrive drive(ZeroImageDrive(), ownTrace);
        ASSERT_TRUE(SendBlocks(drive, image, 1, 3));

        commands::Command command = BlockCommand(image, 4);
        bad.change(command);
        std::vector<std::uint8_t> data(image.begin() + 3 * kBlockSize, image.begin() + 4 * kBlockSize + 1);
        EXPECT_EQ(sim_test::Send(drive, command, data.data()), ScsiOutcome::CheckCondition);
        EXPECT_THAT(LastLine(ownTrace), HasSubstr(bad.reason));
        EXPECT_EQ(drive.revision(), "P1.2");

        // The refusal left the download where it was: block 4 again, then the rest.
        ASSERT_TRUE(SendBlocks(drive, image, 4, 8));
        EXPECT_EQ(drive.image(), image);
        EXPECT_EQ(drive.revision(), "P1.3");
    }
}

TEST_F(DownloadProtocol, ADownloadMustStartAtBlockOne) {
    SimulatedDrive drive(ZeroImageDrive(), trace);
    EXPECT_EQ(SendBlock(drive, image, 2), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: block 2 out of order, expected 1"));
    ASSERT_TRUE(SendBlocks(drive, image, 1, 7));
    // After block 7 the session wants block 8, not block 7 again.
    EXPECT_EQ(SendBlock(drive, image, 7), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: block 7 out of order, expected 8"));
    ExpectNothingInstalled(drive);
}

TEST_F(DownloadProtocol, WholeImageSumMismatchAtBlockEightInstallsNothing) {
    SimulatedDrive drive(ZeroImageDrive(), trace);
    // Every block agrees with itself and carries the same image sum, but
    // that sum is not the sum of the image (0xFC90).
    const std::uint16_t claimed = 0xFC91;
    auto send = [&](unsigned n) {
        const std::uint8_t* block = image.data() + (n - 1) * kBlockSize;
        const commands::Command command =
            commands::VendorDownload(static_cast<std::uint8_t>(n), byteSum16(block, kBlockSize), kBlockSize, claimed);
        std::vector<std::uint8_t> data(block, block + kBlockSize);
        return sim_test::Send(drive, command, data.data());
    };
    for (unsigned n = 1; n <= 7; ++n) ASSERT_EQ(send(n), ScsiOutcome::Good) << n;
    EXPECT_EQ(send(8), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: image sum 0xFC91 != received image sum 0xFC90, nothing installed"));
    // Block 8 again meets the same refusal.
    EXPECT_EQ(send(8), ScsiOutcome::CheckCondition);
    ExpectNothingInstalled(drive);
}

TEST_F(DownloadProtocol, BlockOneStartsANewSession) {
    SimulatedDrive drive(ZeroImageDrive(), trace);
    const std::vector<std::uint8_t> other = MakeSampleImage();
    ASSERT_TRUE(SendBlocks(drive, other, 1, 5));
    // Starting over with another image: its block 1 is welcome, and the old
    // session's block 6 no longer is.
    ASSERT_EQ(SendBlock(drive, image, 1), ScsiOutcome::Good);
    EXPECT_EQ(SendBlock(drive, other, 6), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("block 6 out of order, expected 2"));
    ASSERT_TRUE(SendBlocks(drive, image, 2, 8));
    EXPECT_EQ(drive.image(), image);
}

}  // namespace
