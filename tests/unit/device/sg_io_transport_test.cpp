// The Linux transport over the simulated drives behind the seam at the
// ioctl: the drive search, the commands it sends, and what it does when the
// system refuses a request.

#include "device/sg_io_transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <cstring>
#include <string>
#include <vector>

#include "firmware/firmware_package.h"
#include "sample_image.h"
#include "simulated_machine.h"
#include "simulated_sg_devices.h"

namespace {

using sgio::DeviceError;

class SgIoTransportTest : public ::testing::Test {
protected:
    // Each drive at a target of its own.
    sim::SimulatedDrive& AddDrive(sim::DriveConfig config = {}) {
        config.target = static_cast<std::uint8_t>(machine_.drives().size());
        return machine_.AddDrive(std::move(config));
    }

    sim::SimulatedMachine machine_;
    sgio_test::SimulatedSgDevices devices_{machine_};
    sgio::SgIoTransport transport_{devices_};
};

TEST_F(SgIoTransportTest, ListsEveryCdDvdDeviceWithItsPathAndClosesEachAgain) {
    AddDrive();
    sim::DriveConfig disk;
    disk.peripheral = 0x00;
    AddDrive(disk);
    sim::DriveConfig other;
    other.product = "OTHER DRIVE";
    other.notReady = true;  // no disc: listed all the same
    AddDrive(other);

    DeviceList list;
    transport_.Enumerate(list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_STREQ(transport_.PathOf(*list.RecordAt(0)), "/dev/sg0");
    EXPECT_STREQ(transport_.PathOf(*list.RecordAt(1)), "/dev/sg2");
    // The paths live in the transport: the records' dosDeviceName stays zero.
    for (int i = 0; i < list.Count(); ++i) {
        const DeviceRecord& record = *list.RecordAt(i);
        EXPECT_TRUE(std::all_of(std::begin(record.dosDeviceName), std::end(record.dosDeviceName),
                                [](std::uint8_t byte) { return byte == 0; }));
    }
    EXPECT_STREQ(list.RecordAt(0)->vendorId, "TAVRINE ");
    EXPECT_EQ(std::string(list.RecordAt(1)->productId).substr(0, 11), "OTHER DRIVE");
    EXPECT_EQ(list.RecordAt(1)->imageSize, kImageSize);
    EXPECT_EQ(transport_.initOk, 1);

    // The current record is zero again, and every device opened was closed once.
    const DeviceRecord zero{};
    EXPECT_EQ(std::memcmp(&transport_.current, &zero, sizeof zero), 0);
    EXPECT_EQ(devices_.openCount(), 3u);
    ASSERT_EQ(devices_.closes().size(), 3u);
    for (const auto& closed : devices_.closes()) EXPECT_EQ(closed.second, 1);
    // INQUIRY, then for a CD/DVD device TEST UNIT READY twice.
    EXPECT_EQ(devices_.requests().size(), 1u + 3u + 3u);
}

TEST_F(SgIoTransportTest, ProbeOfOneDeviceReportsWhyItCouldNotBeOpened) {
    AddDrive();
    DeviceList list;
    EXPECT_EQ(transport_.Probe("/dev/sg7", list), DeviceError::NoSuchDevice);
    devices_.RefuseOpens(DeviceError::AccessDenied);
    EXPECT_EQ(transport_.Probe("/dev/sg0", list), DeviceError::AccessDenied);
    EXPECT_EQ(list.Count(), 0);
    // A path longer than the transport keeps is not opened at all.
    devices_.RefuseOpens(DeviceError::None);
    const std::string longPath = "/dev/" + std::string(sgio::kDevicePathCapacity, 'x');
    EXPECT_EQ(transport_.Probe(longPath.c_str(), list), DeviceError::NoSuchDevice);
    EXPECT_EQ(devices_.openCount(), 0u);

    EXPECT_EQ(transport_.Probe("/dev/sg0", list), DeviceError::None);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_STREQ(transport_.PathOf(*list.RecordAt(0)), "/dev/sg0");
}

TEST_F(SgIoTransportTest, OpenReachesTheRecordsDeviceAndReadsItsFirmware) {
    // Two drives alike in every INQUIRY byte: only the path tells them apart.
    sim::DriveConfig config;
    config.image = MakeSampleImage();
    AddDrive(sim::DriveConfig{});
    AddDrive(config);
    DeviceList list;
    transport_.Enumerate(list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_STREQ(transport_.PathOf(*list.RecordAt(1)), "/dev/sg1");

    ASSERT_EQ(transport_.Open(*list.RecordAt(1)), 1);
    EXPECT_EQ(transport_.ModeSense(), 1);
    EXPECT_EQ(transport_.dvdRomOnly, 1);
    std::vector<std::uint8_t> block(kBlockSize);
    ASSERT_EQ(transport_.ReadBufferMode1(block.data(), 0, 0, kBlockSize), 1);
    EXPECT_EQ(block, std::vector<std::uint8_t>(config.image.begin(), config.image.begin() + kBlockSize));
    transport_.Close();

    // READ BUFFER went out as data-in with the pass-through time-out, in ms.
    const sgio::SgIoHeader& read = devices_.requests().back();
    EXPECT_EQ(read.dxfer_direction, sgio::kDxferFromDev);
    EXPECT_EQ(read.dxfer_len, kBlockSize);
    EXPECT_EQ(read.timeout, 256000u);
    EXPECT_EQ(read.cmd_len, 10);

    // A record that names no device is refused without opening anything.
    const std::size_t opens = devices_.openCount();
    EXPECT_EQ(transport_.Open(DeviceRecord{}), 0);
    EXPECT_EQ(transport_.lastError(), DeviceError::NoSuchDevice);
    EXPECT_EQ(devices_.openCount(), opens);
}

TEST_F(SgIoTransportTest, AFirmwareCommandRefusedByTheKernelStopsEverythingUntilTheNextOpen) {
    AddDrive();
    devices_.SetRawIo(false);
    DeviceList list;
    transport_.Enumerate(list);  // read-safe commands: listing works
    ASSERT_EQ(list.Count(), 1);
    ASSERT_EQ(transport_.Open(*list.RecordAt(0)), 1);
    EXPECT_EQ(transport_.ModeSense(), 1);

    const std::vector<std::uint8_t> image = MakeSampleImage();
    const std::uint16_t imageSum = byteSum16(image.data(), image.size());
    const std::size_t before = devices_.requests().size();
    EXPECT_EQ(transport_.VendorDownload(image.data(), 1, byteSum16(image.data(), kBlockSize), kBlockSize, imageSum), 0);
    EXPECT_EQ(transport_.lastError(), DeviceError::NotPermitted);
    ASSERT_TRUE(transport_.lastCommand().refused());
    EXPECT_EQ(std::string(transport_.lastCommand().refusal).rfind("/dev/sg0: ", 0), 0u) << transport_.lastCommand().refusal;
    // The download's retries and any other command go nowhere.
    EXPECT_EQ(transport_.VendorDownload(image.data(), 1, byteSum16(image.data(), kBlockSize), kBlockSize, imageSum), 0);
    EXPECT_EQ(transport_.TestUnitReady(), 0);
    EXPECT_EQ(devices_.requests().size(), before + 1);
    transport_.Close();

    ASSERT_EQ(transport_.Open(*list.RecordAt(0)), 1);
    EXPECT_EQ(transport_.lastError(), DeviceError::None);
    EXPECT_FALSE(transport_.lastCommand().refused());
    EXPECT_EQ(transport_.TestUnitReady(), 1);
    transport_.Close();
}

TEST_F(SgIoTransportTest, OnlyErrorsThatMeanNeverStopSending) {
    AddDrive();
    DeviceList list;
    transport_.Enumerate(list);
    ASSERT_EQ(list.Count(), 1);
    struct Case {
        DeviceError error;
        bool stops;
    };
    for (const Case c : {Case{DeviceError::Other, false}, Case{DeviceError::Busy, false},
                         Case{DeviceError::NotPermitted, true}, Case{DeviceError::AccessDenied, true},
                         Case{DeviceError::Gone, true}}) {
        ASSERT_EQ(transport_.Open(*list.RecordAt(0)), 1);
        devices_.FailSends(c.error, 1);
        EXPECT_EQ(transport_.TestUnitReady(), 0);
        EXPECT_EQ(transport_.lastError(), c.error);
        // The next try reaches the drive unless the error meant never.
        const std::size_t before = devices_.requests().size();
        EXPECT_EQ(transport_.ModeSense(), c.stops ? 0 : 1) << static_cast<int>(c.error);
        EXPECT_EQ(devices_.requests().size(), before + (c.stops ? 0u : 1u));
        transport_.Close();
    }
}

// After a failure on the way (the ioctl, a host status) the transport looks
// whether the device is still there and says so in the report; a refusal by
// the drive itself, or by the rules for rights, is no sign of that and is
// not looked into.
TEST_F(SgIoTransportTest, AFailureOnTheWayAsksWhetherTheDeviceIsStillThere) {
    sim::DriveConfig config;
    config.vanishAfterCommand = 3;  // the probe's three, then DID_NO_CONNECT
    AddDrive(config);
    DeviceList list;
    transport_.Enumerate(list);
    struct Case {
        const char* name;
        DeviceError sendError;  // None: the drive's (vanished) answer
        bool there;
        bool gone;
        int checks;
    };
    for (const Case c : {Case{"host status, still there", DeviceError::None, true, false, 1},
                         Case{"host status, gone", DeviceError::None, false, true, 1},
                         Case{"ENODEV", DeviceError::Gone, true, true, 0},
                         Case{"EIO, still there", DeviceError::Other, true, false, 1},
                         Case{"EPERM", DeviceError::NotPermitted, false, false, 0}}) {
        ASSERT_EQ(transport_.Open(*list.RecordAt(0)), 1);
        devices_.SetStillThere(c.there);
        const int before = devices_.presenceChecks();
        if (c.sendError != DeviceError::None) devices_.FailSends(c.sendError, 1);
        EXPECT_EQ(transport_.TestUnitReady(), 0) << c.name;
        const CommandReport& report = transport_.lastCommand();
        EXPECT_EQ(report.deviceGone, c.gone) << c.name;
        EXPECT_EQ(devices_.presenceChecks() - before, c.checks) << c.name;
        EXPECT_EQ(report.carrier, CommandCarrier::SgIo);
        EXPECT_FALSE(report.answered) << c.name << ": no SCSI status from the drive";
        transport_.Close();
    }
    devices_.SetStillThere(true);
}

TEST_F(SgIoTransportTest, ADriveRefusalIsNoSystemErrorAndMayBeRetried) {
    sim::DriveConfig config;
    config.refuseBlock = 1;
    config.refuseBlockTimes = 1;
    AddDrive(config);
    DeviceList list;
    transport_.Enumerate(list);
    ASSERT_EQ(transport_.Open(*list.RecordAt(0)), 1);
    const std::vector<std::uint8_t> image = MakeSampleImage();
    const std::uint16_t imageSum = byteSum16(image.data(), image.size());
    const std::uint16_t blockSum = byteSum16(image.data(), kBlockSize);
    const int checks = devices_.presenceChecks();
    EXPECT_EQ(transport_.VendorDownload(image.data(), 1, blockSum, kBlockSize, imageSum), 0);
    EXPECT_EQ(transport_.lastError(), DeviceError::None);
    EXPECT_TRUE(transport_.lastCommand().answered);
    EXPECT_FALSE(transport_.lastCommand().deviceGone);
    EXPECT_EQ(devices_.presenceChecks(), checks) << "the drive answered: nothing to look into";
    EXPECT_EQ(transport_.VendorDownload(image.data(), 1, blockSum, kBlockSize, imageSum), 1);
    const sgio::SgIoHeader& download = devices_.requests().back();
    EXPECT_EQ(download.dxfer_direction, sgio::kDxferToDev);
    EXPECT_EQ(download.timeout, 25000u * 1000u);
    EXPECT_EQ(download.cmd_len, 12);
    transport_.Close();
}

}  // namespace
