// The ways a simulated drive can be told to misbehave.

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <chrono>
#include <functional>
#include <tuple>

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

// REQUEST SENSE as the kernel's USB storage driver sends it after a failure:
// key, ASC and ASCQ of the fixed-format answer.
std::tuple<int, int, int> RequestSense(SimulatedDrive& drive) {
    const std::uint8_t cdb[6] = {0x03, 0, 0, 0, 18, 0};
    std::vector<std::uint8_t> sense(18, 0xEE);
    EXPECT_EQ(drive.Execute(cdb, sizeof cdb, sim::DataDirection::In, sense.data(), 18), ScsiOutcome::Good);
    EXPECT_EQ(sense[0], 0x70);
    return {sense[2], sense[12], sense[13]};
}

TEST_F(DriveFaults, RequestSenseReportsTheLastFailureOnceAndAGoodCommandClearsIt) {
    sim::DriveConfig notReady;
    notReady.notReady = true;
    const std::uint8_t getConfiguration[10] = {0x46, 0, 0, 0, 0, 0, 0, 0, 8, 0};
    struct Case {
        const char* what;
        std::function<ScsiOutcome(SimulatedDrive&)> send;
        std::tuple<int, int, int> sense;
    } cases[] = {
        {"unsupported opcode", [&](SimulatedDrive& d) {
             std::uint8_t data[8];
             return d.Execute(getConfiguration, 10, sim::DataDirection::In, data, 8);
         }, {0x05, 0x20, 0x00}},
        {"block out of order", [&](SimulatedDrive& d) { return SendBlock(d, image, 2); }, {0x05, 0x24, 0x00}},
        {"good command", [&](SimulatedDrive& d) { return Send(d, commands::TestUnitReady(), nullptr); }, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SimulatedDrive drive({}, trace);
        c.send(drive);
        EXPECT_EQ(RequestSense(drive), c.sense) << c.what;
        EXPECT_EQ(RequestSense(drive), std::make_tuple(0, 0, 0)) << c.what << ": reported twice";
    }
    SimulatedDrive drive(notReady, trace);
    EXPECT_EQ(Send(drive, commands::TestUnitReady(), nullptr), ScsiOutcome::CheckCondition);
    EXPECT_EQ(RequestSense(drive), std::make_tuple(0x02, 0x04, 0x00));
    EXPECT_THAT(LastLine(trace), HasSubstr("| good: sense 02/04/00"));
    Send(drive, commands::TestUnitReady(), nullptr);
    std::vector<std::uint8_t> data(96);
    Send(drive, commands::Inquiry(Backend::Aspi), data.data());
    EXPECT_EQ(RequestSense(drive), std::make_tuple(0, 0, 0)) << "a good command in between clears the sense";
}

TEST_F(DriveFaults, UnitAttentionAfterAnInstallEndsTheFirstCommandButInquiryThenClears) {
    using UnitAttention = sim::DriveConfig::UnitAttention;
    const std::tuple<UnitAttention, std::tuple<int, int, int>, const char*> cases[] = {
        {UnitAttention::PowerOn, {0x06, 0x29, 0x00}, "unit attention: power on, reset"},
        {UnitAttention::MicrocodeChanged, {0x06, 0x3F, 0x01}, "unit attention: microcode has been changed"},
    };
    for (const auto& [kind, sense, note] : cases) {
        for (bool senseFirst : {false, true}) {
            sim::DriveConfig config;
            config.unitAttentionAfterInstall = kind;
            SimulatedDrive drive(config, trace);
            ASSERT_TRUE(SendBlocks(drive, image, 1, 8));
            std::vector<std::uint8_t> data(96);
            EXPECT_EQ(Send(drive, commands::Inquiry(Backend::Aspi), data.data()), ScsiOutcome::Good);
            if (senseFirst) {
                EXPECT_EQ(RequestSense(drive), sense) << note;
            } else {
                EXPECT_EQ(Send(drive, commands::TestUnitReady(), nullptr), ScsiOutcome::CheckCondition) << note;
                EXPECT_THAT(LastLine(trace), HasSubstr("#10 CDB 00 00 00 00 00 00 00 00 00 00 00 00 | in 0 | check: " + std::string(note)));
                EXPECT_EQ(RequestSense(drive), sense) << note;
            }
            EXPECT_EQ(Send(drive, commands::TestUnitReady(), nullptr), ScsiOutcome::Good) << note;
        }
    }
    SimulatedDrive plain({}, trace);
    ASSERT_TRUE(SendBlocks(plain, image, 1, 8));
    EXPECT_EQ(Send(plain, commands::TestUnitReady(), nullptr), ScsiOutcome::Good) << "no unit attention unless configured";
}

TEST_F(DriveFaults, LateBlockIsAnsweredLateAndOnlyThatBlock) {
    sim::DriveConfig config;
    config.lateBlock = 2;
    config.lateBlockMs = 300;
    SimulatedDrive drive(config, trace);
    const auto timed = [&](unsigned block) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(SendBlock(drive, image, block), ScsiOutcome::Good);
        return std::chrono::steady_clock::now() - start;
    };
    EXPECT_LT(timed(1), std::chrono::milliseconds(300));
    EXPECT_GE(timed(2), std::chrono::milliseconds(300));
    const std::vector<std::string> lines = trace.lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "0:0 #2 answer held back 300 ms (fault: late-block)");
    EXPECT_THAT(lines.back(), HasSubstr("good: block 2 of 8 accepted (answered 300 ms late: fault: late-block)"));
    EXPECT_LT(timed(3), std::chrono::milliseconds(300));
}

}  // namespace
