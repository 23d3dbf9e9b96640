// Commands of the command set sent through the seam at the ioctl to the
// simulated drive, answered with the kernel's SG_IO rules: what the Linux
// transport will be built on.

#include "device/sg_io_transport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "firmware/firmware_package.h"
#include "sample_image.h"
#include "simulated_machine.h"
#include "simulated_sg_devices.h"
#include "simulated_sg_io.h"

namespace {

using sgio::DeviceError;

class SgCommandTest : public ::testing::Test {
protected:
    sim::SimulatedDrive& AddDrive(sim::DriveConfig config = {}) { return machine_.AddDrive(std::move(config)); }

    sgio::OpenedScsiDevice OpenDevice(const char* path = "/dev/sg0") {
        sgio::OpenedScsiDevice device;
        EXPECT_EQ(sgio::OpenScsiDevice(devices_, path, device), DeviceError::None);
        return device;
    }

    sim::SimulatedMachine machine_;
    sgio_test::SimulatedSgDevices devices_{machine_};
};

TEST_F(SgCommandTest, InquiryAndModeSenseReturnTheDrivesData) {
    AddDrive();
    sgio::OpenedScsiDevice device = OpenDevice();
    std::vector<std::uint8_t> inquiry(commands::kInquiryPassThroughLength);
    const auto outcome = sgio::SendCommand(device, commands::Inquiry(commands::Backend::PassThrough), inquiry.data());
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_EQ(outcome.error, DeviceError::None);
    EXPECT_TRUE(commands::InquiryAccepted(inquiry.data()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(inquiry.data()) + 8, 18), "TAVRINE KTX7724R05");

    std::vector<std::uint8_t> modeSense(commands::kModeSenseLength);
    EXPECT_TRUE(sgio::SendCommand(device, commands::ModeSense(commands::Backend::PassThrough), modeSense.data())
                    .succeeded);
    EXPECT_EQ(commands::DvdRomOnlyFromModeSense(modeSense.data()), 1);
}

TEST_F(SgCommandTest, EightBlocksOfTheSampleImageInstallIt) {
    sim::DriveConfig config;
    config.image.assign(kImageSize, 0x00);
    sim::SimulatedDrive& drive = AddDrive(config);
    sgio::OpenedScsiDevice device = OpenDevice();
    std::vector<std::uint8_t> image = MakeSampleImage();
    const std::uint16_t imageSum = byteSum16(image.data(), image.size());
    for (unsigned block = 1; block <= 8; ++block) {
        std::uint8_t* data = image.data() + (block - 1) * kBlockSize;
        const auto command = commands::VendorDownload(static_cast<std::uint8_t>(block), byteSum16(data, kBlockSize),
                                                      kBlockSize, imageSum);
        EXPECT_TRUE(sgio::SendCommand(device, command, data).succeeded) << "block " << block;
    }
    EXPECT_EQ(drive.image(), MakeSampleImage());
    EXPECT_EQ(drive.vendorCommandCount(), 8);
    ASSERT_EQ(devices_.requests().size(), 8u);
    EXPECT_EQ(devices_.requests().back().timeout, 25000000u);

    // READ BUFFER mode 1 reads the new image back, block by block.
    std::vector<std::uint8_t> readBack(kImageSize);
    for (std::uint32_t offset = 0; offset < kImageSize; offset += kBlockSize) {
        const auto command = commands::ReadBufferMode1(static_cast<std::uint8_t>(offset >> 16),
                                                       static_cast<std::uint16_t>(offset & 0xFFFF), kBlockSize);
        ASSERT_TRUE(sgio::SendCommand(device, command, readBack.data() + offset).succeeded) << offset;
    }
    EXPECT_EQ(readBack, MakeSampleImage());
}

TEST_F(SgCommandTest, FailedCommandsReportFailureWithoutASystemError) {
    sim::DriveConfig refusing;
    refusing.modeSenseFails = true;
    refusing.notReady = true;
    AddDrive(refusing);
    sgio::OpenedScsiDevice device = OpenDevice();
    std::uint8_t data[commands::kModeSenseLength] = {};
    const auto modeSense = sgio::SendCommand(device, commands::ModeSense(commands::Backend::PassThrough), data);
    EXPECT_FALSE(modeSense.succeeded);
    EXPECT_EQ(modeSense.error, DeviceError::None);
    EXPECT_FALSE(sgio::SendCommand(device, commands::TestUnitReady(), nullptr).succeeded);

    // A block out of order is refused by the drive: check condition.
    std::vector<std::uint8_t> block(kBlockSize, 0x11);
    EXPECT_FALSE(sgio::SendCommand(device, commands::VendorDownload(2, 0, kBlockSize, 0), block.data()).succeeded);
}

TEST_F(SgCommandTest, WithoutRawIoTheVendorDownloadIsRefusedWhileReadingWorks) {
    AddDrive();
    devices_.SetRawIo(false);
    sgio::OpenedScsiDevice device = OpenDevice();
    std::vector<std::uint8_t> data(kBlockSize);
    EXPECT_TRUE(sgio::SendCommand(device, commands::Inquiry(commands::Backend::PassThrough), data.data()).succeeded);
    EXPECT_TRUE(sgio::SendCommand(device, commands::ReadBufferMode1(0, 0, kBlockSize), data.data()).succeeded);

    const auto download = sgio::SendCommand(device, commands::VendorDownload(1, 0, kBlockSize, 0), data.data());
    EXPECT_FALSE(download.succeeded);
    EXPECT_EQ(download.error, DeviceError::NotPermitted);
    EXPECT_EQ(sgio::SendCommand(device, commands::WriteBufferMode4(), nullptr).error, DeviceError::NotPermitted);
    EXPECT_EQ(machine_.drives()[0]->vendorCommandCount(), 0);
}

TEST_F(SgCommandTest, AVanishedDriveFailsThroughTheHostStatus) {
    sim::DriveConfig config;
    config.vanishAfterCommand = 1;
    AddDrive(config);
    sgio::OpenedScsiDevice device = OpenDevice();
    EXPECT_TRUE(sgio::SendCommand(device, commands::TestUnitReady(), nullptr).succeeded);
    EXPECT_FALSE(sgio::SendCommand(device, commands::TestUnitReady(), nullptr).succeeded);
    EXPECT_EQ(devices_.requests().back().host_status, sim::kHostNoConnect);
}

TEST_F(SgCommandTest, AnOpenedDeviceIsClosedExactlyOnceHoweverItEnds) {
    AddDrive();
    sim::DriveConfig secondDrive;
    secondDrive.target = 1;
    AddDrive(secondDrive);
    {
        sgio::OpenedScsiDevice first = OpenDevice("/dev/sg0");
        sgio::OpenedScsiDevice moved(std::move(first));
        EXPECT_FALSE(first.isOpen());
        EXPECT_TRUE(moved.isOpen());
        sgio::OpenedScsiDevice second = OpenDevice("/dev/sg1");
        second = std::move(moved);  // closes the second device's own handle
        second.Close();
        second.Close();
        sgio::SgIoHeader request{};
        EXPECT_EQ(second.Send(request), DeviceError::Gone);
    }
    ASSERT_EQ(devices_.openCount(), 2u);
    ASSERT_EQ(devices_.closes().size(), 2u);
    for (const auto& [handle, count] : devices_.closes()) EXPECT_EQ(count, 1) << "handle " << handle;
}

TEST_F(SgCommandTest, AFailedOpenLeavesNothingOpenAndSaysWhy) {
    AddDrive();
    sgio::OpenedScsiDevice device;
    EXPECT_EQ(sgio::OpenScsiDevice(devices_, "/dev/sg7", device), DeviceError::NoSuchDevice);
    EXPECT_FALSE(device.isOpen());
    devices_.RefuseOpens(DeviceError::AccessDenied);
    EXPECT_EQ(sgio::OpenScsiDevice(devices_, "/dev/sg0", device), DeviceError::AccessDenied);
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(devices_.closes().empty());
}

}  // namespace
