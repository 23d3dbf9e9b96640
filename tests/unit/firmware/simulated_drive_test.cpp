// Upgrade and save against the simulated KTX7724R05 through AspiTransport
// and the simulated ASPI manager: what the drive receives, installs and
// returns.

#include <gtest/gtest.h>

#include <algorithm>

#include "device/aspi_transport.h"
#include "combine_test_files.h"

#include "firmware/firmware_readout.h"
#include "ops_fixture.h"

#include "simulated_aspi_library.h"

#include "firmware/upgrade_procedure.h"

namespace {

class SimulatedDriveRun : public OpsTest {
public:
    // The drive at adapter 0, target 1 (the listed record) holds `firmware`.
    void Start(sim::DriveConfig config) {
        config.adapter = 0;
        config.target = 1;
        config.image = firmware;
        drive = &machine.AddDrive(config);
        library = std::make_unique<sim::SimulatedAspiLibrary>(machine);
        aspi = std::make_unique<AspiTransport>(*library);
        ASSERT_EQ(aspi->initOk, 1);
    }
    void Upgrade() { RunUpgradeCommand(gui, AspiContext(), state); }
    FirmwareContext AspiContext() { return FirmwareContext{port, system, &files, memory, *aspi, &package, 0x0E}; }
    int VendorCommands() {
        const auto lines = machine.trace().lines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find(" CDB FD ") != std::string::npos;
        }));
    }

    std::vector<std::uint8_t> firmware = std::vector<std::uint8_t>(kImageSize, 0x5A);
    sim::SimulatedMachine machine;
    sim::SimulatedDrive* drive = nullptr;
    std::unique_ptr<sim::SimulatedAspiLibrary> library;
    std::unique_ptr<AspiTransport> aspi;
    ScratchDirectory scratch;
};

TEST_F(SimulatedDriveRun, UpgradeInstallsThePackageImage) {
    Start({});
    Upgrade();
    EXPECT_EQ(gui.text(kStatusLine), "Upgrade Firmware Successful!!");
    EXPECT_EQ(VendorCommands(), 8);
    EXPECT_EQ(drive->revision(), "P1.3");
    EXPECT_EQ(drive->image(), image);
    EXPECT_EQ(state.restartNeeded, 1);
}

TEST_F(SimulatedDriveRun, Block3RefusedFourTimesTakesTwelveCommands) {
    sim::DriveConfig config;
    config.refuseBlock = 3;
    config.refuseBlockTimes = 4;
    Start(config);
    Upgrade();
    EXPECT_EQ(gui.text(kStatusLine), "Upgrade Firmware Successful!!");
    EXPECT_EQ(VendorCommands(), 12);
    EXPECT_EQ(drive->image(), image);
}

TEST_F(SimulatedDriveRun, Block5RefusedFiveTimesIsNamedAndNothingIsInstalled) {
    sim::DriveConfig config;
    config.refuseBlock = 5;
    config.refuseBlockTimes = 5;
    Start(config);
    Upgrade();
    EXPECT_EQ(gui.text(kStatusLine),
              "Error Happen in ID 5 OFFSET 0x0000\nPlease check whether your selected device is fit for the F/W !");
    EXPECT_EQ(VendorCommands(), 9);
    EXPECT_EQ(drive->revision(), "P1.2");
    EXPECT_EQ(drive->image(), firmware);
    EXPECT_EQ(Buttons(), "011");
}

TEST_F(SimulatedDriveRun, SaveWritesExactlyTheDrivesFirmware) {
    for (std::size_t i = 0; i < firmware.size(); ++i) firmware[i] = static_cast<std::uint8_t>(i ^ (i >> 9));
    Start({});
    state.firmwarePath.Assign(scratch.Path("drive.bin").c_str());
    RunSaveCommand(gui, AspiContext(), state);
    EXPECT_EQ(gui.text(kStatusLine), "Upgrade Firmware Successful!!");
    EXPECT_EQ(scratch.Read("drive.bin"), firmware);
}

TEST_F(SimulatedDriveRun, ReadFailureOnBlock6LeavesTheFileEmpty) {
    sim::DriveConfig config;
    config.vanishAfterCommand = 5;  // blocks 1 to 5 are read, then no answer
    Start(config);
    state.firmwarePath.Assign(scratch.Path("drive.bin").c_str());
    RunSaveCommand(gui, AspiContext(), state);
    EXPECT_EQ(gui.text(kStatusLine), "Error Happen in ID 1 OFFSET 0x4000");
    EXPECT_TRUE(scratch.Read("drive.bin").empty());
    EXPECT_EQ(drive->commandCount(), 10u);
}

}  // namespace
