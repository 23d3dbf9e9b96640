// ktxflash's Windows face over the dialog program's transports, run on the
// host against the simulated machine: the ASPI transport on Windows 98, the
// NT pass-through on Windows 2000, drive names, and a run of the program.

#include "app/terminal/windows_flash_devices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/transport_factory.h"
#include "captured_file.h"
#include "fake_system.h"
#include "firmware/firmware_package.h"
#include "ops_fixture.h"
#include "platform/buffer_allocator.h"
#include "platform/power_source.h"
#include "sample_image.h"
#include "simulated_aspi_library.h"
#include "simulated_machine.h"
#include "simulated_nt_storage.h"

namespace {

class WindowsFlashDevicesTest : public ::testing::Test {
protected:
    WindowsFlashDevicesTest() {
        sim::DriveConfig first;
        first.target = 1;
        first.letter = 'E';
        first.image.assign(kImageSize, 0);
        machine_.AddDrive(first);
        sim::DriveConfig second;
        second.adapter = 1;
        second.letter = 'G';
        second.product = "OTHER";
        machine_.AddDrive(second);
        machine_.AddHardDisk('C');
    }

    // Runs ktxflash with `args` on a system of `platformId`; the output in out_.
    int Run(std::uint32_t platformId, std::vector<const char*> args, const std::string& input = "") {
        system_.platformId = platformId;
        WindowsFlashDevices devices(system_, *transportsInUse_);
        CapturedFile out;
        CapturedFile in(input);
        const FirmwarePackage package(packageBlock_.data());
        terminal::FlashServices services{devices,    system_,    &guard_,   memory_, package, out.file(),
                                         out.file(), in.file(), false,      false,   &power_,
                                         terminal::kWindowsFlashConventions};
        const int status =
            terminal::RunFlashProgram("ktxflash.exe", static_cast<int>(args.size()), args.data(), services);
        out_ = out.Text();
        return status;
    }
    bool Printed(const std::string& text) const { return out_.find(text) != std::string::npos; }

    std::vector<std::string> log_;
    FakeSystem system_{log_};
    sim::SimulatedMachine machine_;
    sim::SimulatedAspiLibrary aspi_{machine_};
    sim::SimulatedNtStorage storage_{machine_};
    ServiceTransportFactory transports_{aspi_, storage_};
    TransportFactory* transportsInUse_ = &transports_;
    PageAlignedAllocator memory_;
    std::vector<std::uint8_t> image_ = MakeSampleImage();
    std::vector<std::uint8_t> packageBlock_ = PackageBlock(image_, "", 0, byteSum16(image_.data(), image_.size()));
    std::string out_;
    // The system's power as a test sets it.
    struct : PowerSource {
        PowerStatus Read() override { return status; }
        PowerStatus status;
    } power_;
    // Records when interruptions are held.
    struct : InterruptGuard {
        void Hold() override { calls += "hold "; }
        void Release() override { calls += "release "; }
        std::string calls;
    } guard_;
};

TEST_F(WindowsFlashDevicesTest, ListsDrivesByLetterOnTheNtFamilyAndByAddressUnderAspi) {
    EXPECT_EQ(Run(kPlatformNt, {"--list"}), 0);
    EXPECT_TRUE(Printed("E:  TAVRINE   KTX7724R05        P1.2  DVD-ROM only\n")) << out_;
    EXPECT_TRUE(Printed("G:  TAVRINE   OTHER")) << out_;
    EXPECT_FALSE(Printed("C:"));

    EXPECT_EQ(Run(kPlatformWindows, {"--list"}), 0);
    EXPECT_TRUE(Printed("0:1  TAVRINE   KTX7724R05")) << out_;
    EXPECT_TRUE(Printed("1:0  TAVRINE   OTHER")) << out_;
}

TEST_F(WindowsFlashDevicesTest, UpgradesTheNamedDriveWhateverTheCaseOfItsLetter) {
    // The backup and its read-out are the end-to-end tests' (they write a file).
    EXPECT_EQ(Run(kPlatformNt, {"--yes", "--no-backup", "--allow-reinstall", "--allow-reinstall", "e"}), 0) << out_;
    EXPECT_EQ(guard_.calls, "hold release ");
    // The PC stays awake for the download, and only for it.
    std::vector<std::string> awake;
    for (const auto& call : log_)
        if (call.rfind("KeepSystemAwake", 0) == 0) awake.push_back(call);
    EXPECT_EQ(awake, (std::vector<std::string>{"KeepSystemAwake(true)", "KeepSystemAwake(false)"}));
    EXPECT_TRUE(Printed("Upgrade Firmware Successful!!"));
    EXPECT_TRUE(Printed("Restart the PC"));
    const sim::SimulatedDrive* drive = machine_.drives()[0];
    EXPECT_EQ(drive->image(), image_);
    EXPECT_EQ(drive->revision(), "P1.3");

    EXPECT_EQ(Run(kPlatformWindows, {"--dry-run", "1:0"}), 3) << out_;
    EXPECT_TRUE(Printed("the drive reports vendor \"TAVRINE\", product \"OTHER\", not")) << out_;
    EXPECT_EQ(Run(kPlatformWindows, {"--dry-run", "--allow-other-model", "--allow-reinstall", "1:0"}), 0) << out_;
    EXPECT_TRUE(Printed(terminal::kDryRunStoppedText));
    EXPECT_EQ(guard_.calls, "hold release ");  // a dry run holds nothing
}

// GetSystemPowerStatus's answer decides, through the power source.
TEST_F(WindowsFlashDevicesTest, OnAnAlmostEmptyBatteryOnlyIgnorePowerFlashes) {
    const struct {
        PowerStatus status;
        std::initializer_list<const char*> args;
        int exit;
        bool flashed;
    } cases[] = {
        {PowerStatusFromWindows(0, 24), {"--yes", "--no-backup", "--allow-reinstall", "E:"}, 3, false},
        // A dry run goes on with a warning, and exits as the upgrade would.
        {PowerStatusFromWindows(0, 24), {"--dry-run", "--allow-reinstall", "E:"}, 3, false},
        {PowerStatusFromWindows(1, 10), {"--yes", "--no-backup", "--allow-reinstall", "E:"}, 0, true},    // on mains
        {PowerStatusFromWindows(0, 255), {"--yes", "--no-backup", "--allow-reinstall", "E:"}, 0, true},   // charge unknown
        {PowerStatusFromWindows(0, 25), {"--yes", "--no-backup", "--allow-reinstall", "E:"}, 0, true},
        {PowerStatusFromWindows(0, 5), {"--yes", "--no-backup", "--allow-reinstall", "--ignore-power", "E:"}, 0, true},
    };
    for (const auto& c : cases) {
        power_.status = c.status;
        EXPECT_EQ(Run(kPlatformNt, c.args), c.exit) << out_;
        EXPECT_EQ(Printed("Upgrade Firmware Successful!!"), c.flashed) << out_;
        if (c.exit == 1 || !c.flashed) {
            EXPECT_TRUE(Printed("the system runs on battery with 24% left (less than 25%)")) << out_;
        }
    }
}

// The NT family locks and dismounts the drive's volume for the download and
// says so; where Windows refuses, it says that and goes on. ASPI has no volume.
TEST_F(WindowsFlashDevicesTest, TheVolumeIsLockedForTheDownloadWhereWindowsAllows) {
    const char* args[] = {"--yes", "--no-backup", "--allow-reinstall", "E:"};
    EXPECT_EQ(Run(kPlatformNt, {args, args + 4}), 0) << out_;
    EXPECT_TRUE(Printed("Locked and dismounted the drive's volume for the download.")) << out_;

    storage_.SetVolumeLockRefused(true);
    EXPECT_EQ(Run(kPlatformNt, {args, args + 4}), 0) << out_;
    EXPECT_TRUE(Printed("Warning: Windows did not let ktxflash lock the drive's volume")) << out_;
    EXPECT_TRUE(Printed("Upgrade Firmware Successful!!")) << out_;

    EXPECT_EQ(Run(kPlatformWindows, {"--yes", "--no-backup", "--allow-reinstall", "0:1"}), 0) << out_;
    EXPECT_FALSE(Printed("volume")) << out_;
}

TEST_F(WindowsFlashDevicesTest, ANameOfNoListedDriveAndATransportThatDidNotComeUpAreRefused) {
    EXPECT_EQ(Run(kPlatformNt, {"--yes", "C:"}), 3);
    // The drive's name once, its own colon the separator.
    EXPECT_TRUE(Printed("ktxflash: C: No support device Found!! (no CD/DVD drive of that name; see --list)")) << out_;
    EXPECT_EQ(Run(kPlatformNt, {"--yes", "E:x"}), 3);

    sim::AspiLibraryFaults faults;
    faults.libraryAbsent = true;
    sim::SimulatedAspiLibrary absent(machine_, faults);
    ServiceTransportFactory noAspi(absent, storage_);
    system_.platformId = kPlatformWindows;
    WindowsFlashDevices devices(system_, noAspi);
    DeviceList list;
    MessageText why;
    EXPECT_FALSE(devices.Find("0:1", list, why));
    EXPECT_STREQ(why.c_str(),
                 "Flash ROM Upgrade Program Initialized Failed (Windows 95/98)!!\nASPI for Win32 is not initialized!!");
    why.Clear();
    devices.ListAll(list, why);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(why.empty());

    // A system whose version cannot be read gets no transport at all: the
    // run says so and is refused, it does not crash.
    system_.versionResult = 0;
    for (const auto& args : {std::vector<const char*>{"--list"}, std::vector<const char*>{"--yes", "E:"}}) {
        EXPECT_EQ(Run(kPlatformNt, args), 3) << args.back();
        EXPECT_TRUE(Printed("Initialized Failed")) << out_;
    }
}

// Nothing found: the text says which way the drives were looked for, and
// --json has its error object, on both kinds of Windows.
TEST_F(WindowsFlashDevicesTest, AnEmptyListSaysWhereItLookedAndIsAJsonErrorToo) {
    // A disk behind the adapter and volume C:, no CD/DVD drive.
    sim::SimulatedMachine empty;
    sim::DriveConfig disk;
    disk.peripheral = 0x00;
    empty.AddDrive(disk);
    empty.AddHardDisk('C');
    sim::SimulatedAspiLibrary aspi(empty);
    sim::SimulatedNtStorage storage(empty);
    ServiceTransportFactory transports(aspi, storage);
    transportsInUse_ = &transports;
    const struct {
        std::uint32_t platform;
        const char* why;
    } cases[] = {
        {kPlatformNt, "no CD/DVD drive answered through the NT SCSI pass-through"},
        {kPlatformWindows, "no CD/DVD drive answered through ASPI for Win32 (wnaspi32.dll)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.platform, {"--list"}), 3);
        EXPECT_TRUE(Printed("No support device Found!!\nktxflash: ")) << out_;
        EXPECT_TRUE(Printed(c.why)) << out_;
        EXPECT_EQ(Run(c.platform, {"--list", "--json"}), 3);
        EXPECT_TRUE(Printed(std::string("{\"type\":\"error\",\"message\":\"") + c.why)) << out_;
        EXPECT_TRUE(Printed("{\"type\":\"outcome\",\"result\":\"failed\",\"exit\":3")) << out_;
    }
}

}  // namespace
