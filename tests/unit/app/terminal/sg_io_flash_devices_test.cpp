// ktxflash's Linux devices over the simulated drives behind the seam at the
// ioctl: what --list says when no device could be opened, drive names, and
// the text of a request the kernel refused.

#include "app/terminal/sg_io_flash_devices.h"

#include <gtest/gtest.h>

#include <string>

#include "simulated_machine.h"
#include "simulated_sg_devices.h"

namespace {

using sgio::DeviceError;

class SgIoFlashDevicesTest : public ::testing::Test {
protected:
    void AddDrives(int count) {
        for (int i = 0; i < count; ++i) {
            sim::DriveConfig config;
            config.target = static_cast<std::uint8_t>(i);
            machine_.AddDrive(config);
        }
    }

    sim::SimulatedMachine machine_;
    sgio_test::SimulatedSgDevices devices_{machine_};
    SgIoFlashDevices flash_{devices_};
    DeviceList list_;
    MessageText why_;
};

TEST_F(SgIoFlashDevicesTest, ListingSaysWhyWhenNoDeviceCouldBeOpened) {
    flash_.ListAll(list_, why_);
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_NE(std::string(why_.c_str()).find("the sg driver is not loaded"), std::string::npos);

    AddDrives(2);
    devices_.RefuseOpens(DeviceError::AccessDenied);
    why_.Clear();
    flash_.ListAll(list_, why_);
    EXPECT_EQ(list_.Count(), 0);
    // Every device seen, each with what kept it from answering.
    const std::string why = why_.c_str();
    EXPECT_EQ(why.rfind("no CD/DVD drive answered; seen: /dev/sg0 (permission denied: join the group", 0), 0u) << why;
    EXPECT_NE(why.find("; /dev/sg1 (permission denied: join the group"), std::string::npos) << why;

    devices_.RefuseOpens(DeviceError::None);
    why_.Clear();
    flash_.ListAll(list_, why_);
    EXPECT_EQ(list_.Count(), 2);
    EXPECT_TRUE(why_.empty());
    MessageText name;
    flash_.AppendName(*list_.RecordAt(1), name);
    EXPECT_STREQ(name.c_str(), "/dev/sg1");
}

TEST_F(SgIoFlashDevicesTest, FindingNamesWhatIsWrongWithTheDevice) {
    AddDrives(1);
    EXPECT_FALSE(flash_.Find("/dev/sg4", list_, why_));
    EXPECT_STREQ(why_.c_str(), "no such file; name a drive that --list shows (a /dev/sg* device)");
    devices_.RefuseOpens(DeviceError::Busy);
    EXPECT_FALSE(flash_.Find("/dev/sg0", list_, why_));
    EXPECT_NE(std::string(why_.c_str()).find("another program has the drive open"), std::string::npos);
    devices_.RefuseOpens(DeviceError::None);
    EXPECT_TRUE(flash_.Find("/dev/sg0", list_, why_));
    EXPECT_FALSE(flash_.transport().lastCommand().refused());
}

TEST_F(SgIoFlashDevicesTest, ARefusedFirmwareCommandReadsAsTheRootRule) {
    AddDrives(1);
    devices_.SetRawIo(false);
    ASSERT_TRUE(flash_.Find("/dev/sg0", list_, why_));
    ScsiTransport& transport = flash_.transport();
    ASSERT_EQ(transport.Open(*list_.RecordAt(0)), 1);
    std::uint8_t block[kBlockSize] = {};
    EXPECT_EQ(transport.VendorDownload(block, 1, 0, kBlockSize, 0), 0);
    const CommandReport& report = transport.lastCommand();
    ASSERT_TRUE(report.refused());
    EXPECT_EQ(std::string(report.refusal).rfind("/dev/sg0: the kernel refused the firmware command", 0), 0u);
    EXPECT_TRUE(report.neverSent) << "the kernel's filter stops it before the drive";
    transport.Close();
}

}  // namespace
