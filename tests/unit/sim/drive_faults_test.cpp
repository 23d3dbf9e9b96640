// The ways a simulated drive can be told to misbehave.

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "drive_test_support.h"


namespace {

using commands::Backend;
using sim::ScsiOutcome;
using sim::SimulatedDrive;
using sim_test::LastLine;
using sim_test::Send;
using sim_test::SendBlock;
using sim_test::SendBlocks;
using testing::HasSubstr;

class DriveFaults : public testing::Test {
protected:
    sim::Trace trace;
    const std::vector<std::uint8_t> image = sim_test::PatternImage();
};

TEST_F(DriveFaults, RefuseBlockRefusesThatBlockSoManyTimesThenAcceptsIt) {
    sim::DriveConfig config;
    config.refuseBlock = 3;
    config.refuseBlockTimes = 4;
    SimulatedDrive drive(config, trace);

    ASSERT_TRUE(SendBlocks(drive, image, 1, 2));
    for (int attempt = 1; attempt <= 4; ++attempt) {
        EXPECT_EQ(SendBlock(drive, image, 3), ScsiOutcome::CheckCondition);
        EXPECT_THAT(LastLine(trace), HasSubstr("check: fault: refuse-block 3 (" + std::to_string(attempt) + " of 4)"));
    }
    ASSERT_TRUE(SendBlocks(drive, image, 3, 8));
    EXPECT_EQ(drive.revision(), "P1.3");
    EXPECT_EQ(drive.vendorCommandCount(), 12);
}

TEST_F(DriveFaults, RefuseFromBlockRefusesThatBlockAndEveryLaterOne) {
    sim::DriveConfig config;
    config.refuseFromBlock = 5;
    SimulatedDrive drive(config, trace);

    ASSERT_TRUE(SendBlocks(drive, image, 1, 4));
    for (int attempt = 0; attempt < 5; ++attempt) EXPECT_EQ(SendBlock(drive, image, 5), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: fault: refuse-from-block 5"));
    EXPECT_EQ(SendBlock(drive, image, 6), ScsiOutcome::CheckCondition);
    EXPECT_EQ(drive.revision(), "P1.2");
    // Early blocks are still welcome.
    EXPECT_EQ(SendBlock(drive, image, 1), ScsiOutcome::Good);
}

TEST_F(DriveFaults, ModeSenseFailsWithCheckConditionAndReturnsNothing) {
    sim::DriveConfig config;
    config.modeSenseFails = true;
    SimulatedDrive drive(config, trace);
    std::vector<std::uint8_t> data(100, 0xEE);
    EXPECT_EQ(Send(drive, commands::ModeSense(Backend::Aspi), data.data()), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("in 100, 0 returned | check: fault: mode-sense-fails"));
    EXPECT_EQ(data, std::vector<std::uint8_t>(100, 0xEE));
    EXPECT_EQ(Send(drive, commands::Inquiry(Backend::Aspi), data.data()), ScsiOutcome::Good);
}

TEST_F(DriveFaults, VanishedDriveAnswersNothingAfterItsLastCommand) {
    sim::DriveConfig config;
    config.vanishAfterCommand = 3;
    SimulatedDrive drive(config, trace);

    ASSERT_TRUE(SendBlocks(drive, image, 1, 3));
    std::vector<std::uint8_t> data(100, 0xEE);
    EXPECT_EQ(SendBlock(drive, image, 4), ScsiOutcome::NoDevice);
    EXPECT_THAT(LastLine(trace), HasSubstr("0:0 #4 CDB FD 07"));
    EXPECT_THAT(LastLine(trace), HasSubstr("| no answer: fault: vanish-after 3"));
    EXPECT_EQ(Send(drive, commands::Inquiry(Backend::Aspi), data.data()), ScsiOutcome::NoDevice);
    EXPECT_THAT(LastLine(trace), HasSubstr("in 100, 0 returned | no answer"));
    EXPECT_EQ(Send(drive, commands::TestUnitReady(), nullptr), ScsiOutcome::NoDevice);
    EXPECT_EQ(data, std::vector<std::uint8_t>(100, 0xEE));
    EXPECT_EQ(drive.vendorCommandCount(), 3);
    EXPECT_EQ(drive.commandCount(), 6u);
}

TEST_F(DriveFaults, NeverCompletingCommandDoesNothingAndLaterCommandsWork) {
    sim::DriveConfig config;
    config.neverCompleteCommand = 2;
    SimulatedDrive drive(config, trace);

    ASSERT_EQ(SendBlock(drive, image, 1), ScsiOutcome::Good);
    EXPECT_EQ(SendBlock(drive, image, 2), ScsiOutcome::NeverCompletes);
    EXPECT_THAT(LastLine(trace), HasSubstr("| never completes: fault: never-complete 2"));
    // Block 2 never arrived, so the drive still waits for it.
    EXPECT_EQ(SendBlock(drive, image, 3), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("block 3 out of order, expected 2"));
}

TEST_F(DriveFaults, NotReadyFailsTestUnitReadyOnly) {
    sim::DriveConfig config;
    config.notReady = true;
    SimulatedDrive drive(config, trace);
    EXPECT_EQ(Send(drive, commands::TestUnitReady(), nullptr), ScsiOutcome::CheckCondition);
    EXPECT_THAT(LastLine(trace), HasSubstr("check: not ready (fault: not-ready)"));
    std::vector<std::uint8_t> data(100);
    EXPECT_EQ(Send(drive, commands::Inquiry(Backend::Aspi), data.data()), ScsiOutcome::Good);
    ASSERT_TRUE(SendBlocks(drive, image, 1, 8));
}

}  // namespace
