// The simulated SG_IO answer: it must refuse what the kernel refuses and end
// commands with the statuses the kernel reports, or the transport's tests
// over it would prove nothing about a real system.

#include "simulated_sg_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

#include <gmock/gmock.h>

#include "device/sg_io_transport.h"
#include "simulated_machine.h"

namespace {

class SimulatedSgIoTest : public ::testing::Test {
protected:
    // `command` must outlive the request: its CDB is pointed at, not copied.
    sgio::SgIoHeader Request(const commands::Command& command, void* data) {
        sgio::SgIoHeader request;
        sgio::FillRequest(command, data, sense_, request);
        return request;
    }

    sim::SimulatedMachine machine_;
    unsigned char sense_[sgio::kSenseLength] = {};
    unsigned char data_[512] = {};
};

TEST_F(SimulatedSgIoTest, MalformedRequestsFailTheIoctl) {
    sim::SimulatedDrive& drive = machine_.AddDrive({});
    const auto inquiry = commands::Inquiry(commands::Backend::PassThrough);

    sgio::SgIoHeader request = Request(inquiry, data_);
    request.interface_id = 'Q';
    EXPECT_EQ(sim::AnswerSgIo(&drive, request, true), EINVAL);
    request = Request(inquiry, data_);
    request.cmd_len = 17;
    EXPECT_EQ(sim::AnswerSgIo(&drive, request, true), EINVAL);
    request = Request(inquiry, data_);
    request.dxfer_direction = 7;
    EXPECT_EQ(sim::AnswerSgIo(&drive, request, true), EINVAL);
    request = Request(inquiry, nullptr);
    EXPECT_EQ(sim::AnswerSgIo(&drive, request, true), EFAULT);
    EXPECT_EQ(drive.commandCount(), 0u);
}

TEST_F(SimulatedSgIoTest, WithoutRawIoOnlyReadSafeCommandsReachTheDrive) {
    sim::SimulatedDrive& drive = machine_.AddDrive({});
    const commands::Command allowed[] = {commands::Inquiry(commands::Backend::PassThrough), commands::TestUnitReady(),
                                         commands::ModeSense(commands::Backend::PassThrough),
                                         commands::ReadBufferMode2(0, 0, 512), commands::ReadBufferMode1(0, 0, 512)};
    for (const auto& command : allowed) {
        sgio::SgIoHeader request = Request(command, data_);
        EXPECT_EQ(sim::AnswerSgIo(&drive, request, false), 0) << int(command.cdb[0]);
    }
    const commands::Command refused[] = {commands::WriteBufferMode7(0, 0, 512), commands::WriteBufferMode4(),
                                         commands::VendorDownload(1, 0, 512, 0)};
    for (const auto& command : refused) {
        sgio::SgIoHeader request = Request(command, data_);
        EXPECT_EQ(sim::AnswerSgIo(&drive, request, false), EPERM) << int(command.cdb[0]);
    }
    EXPECT_EQ(drive.commandCount(), std::size(allowed));
}

TEST_F(SimulatedSgIoTest, OutcomesLeaveTheStatusesTheKernelWould) {
    sim::DriveConfig failing;
    failing.modeSenseFails = true;
    failing.neverCompleteCommand = 2;
    sim::SimulatedDrive& drive = machine_.AddDrive(failing);

    // The requests point at their commands' CDBs, so the commands stay alive.
    const auto inquiry = commands::Inquiry(commands::Backend::PassThrough);
    const auto testUnitReady = commands::TestUnitReady();
    const auto modeSense = commands::ModeSense(commands::Backend::PassThrough);
    sgio::SgIoHeader good = Request(inquiry, data_);
    ASSERT_EQ(sim::AnswerSgIo(&drive, good, true), 0);
    EXPECT_TRUE(sgio::RequestSucceeded(0, good));

    sgio::SgIoHeader hangs = Request(testUnitReady, nullptr);
    ASSERT_EQ(sim::AnswerSgIo(&drive, hangs, true), 0);
    EXPECT_EQ(hangs.host_status, sim::kHostTimeOut);
    EXPECT_FALSE(sgio::RequestSucceeded(0, hangs));

    sgio::SgIoHeader check = Request(modeSense, data_);
    ASSERT_EQ(sim::AnswerSgIo(&drive, check, true), 0);
    EXPECT_EQ(check.status, sim::kStatusCheckCondition);
    EXPECT_EQ(check.driver_status, sim::kDriverSense);
    EXPECT_EQ(check.sb_len_wr, 18);
    // The drive's own sense, asked for with REQUEST SENSE as the kernel does.
    EXPECT_EQ(std::make_tuple(sense_[0], sense_[2], sense_[12], sense_[13]), std::make_tuple(0x70, 0x05, 0x24, 0x00));
    EXPECT_THAT(machine_.trace().lines().back(), testing::HasSubstr("CDB 03 00 00 00 12 00 | in 18, 18 returned"));
    EXPECT_FALSE(sgio::RequestSucceeded(0, check));

    sgio::SgIoHeader nobody = Request(testUnitReady, nullptr);
    ASSERT_EQ(sim::AnswerSgIo(nullptr, nobody, true), 0);
    EXPECT_EQ(nobody.host_status, sim::kHostNoConnect);
    EXPECT_FALSE(sgio::RequestSucceeded(0, nobody));
}

}  // namespace
