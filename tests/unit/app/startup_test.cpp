// Start-up: the version read, the platform check, the transport choice, the
// failure boxes, the drive search and the modal run of the dialog.

#include <string>

#include "app_test_fixture.h"
#include "firmware/firmware_readout.h"


namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kInitFailedBox = "Box(Flash ROM Upgrade Program Initialized Failed!!|DVD Firmware Upgrade Program|0)";
const std::string kNtFailedBox =
    "Box(Flash ROM Upgrade Program Initialized Failed (Windows NT/2000)!!|DVD Firmware Upgrade Program|0)";
const std::string kAspiFailedBox =
    "Box(Flash ROM Upgrade Program Initialized Failed (Windows 95/98)!!\n"
    "ASPI for Win32 is not initialized!!|DVD Firmware Upgrade Program|0)";
const std::string kNoDeviceBox = "Box(No support device Found!!|Firmware Upgrade Program|0)";

TEST_F(AppTest, ConstructionReadsTheVersionOnceWithTheAnsiRecordSize) {
    system.platformId = kPlatformNt;
    system.majorVersion = 4;
    FirmwareUpgradeApp application(system, system, gui);
    EXPECT_THAT(log, ElementsAre("QueryVersion(size=148)"));
    EXPECT_EQ(application.initialized, 1);
    EXPECT_EQ(application.restartOnExit, 0);
    EXPECT_EQ(application.osVersion().dwOSVersionInfoSize, 148u);
    EXPECT_EQ(application.osVersion().dwPlatformId, kPlatformNt);
    EXPECT_EQ(application.osVersion().dwMajorVersion, 4u);
}

TEST_F(AppTest, Win32sOrAnUnreadableVersionEndsStartUpWithOneBoxAndNothingBuilt) {
    for (bool versionReadable : {true, false}) {
        SCOPED_TRACE(versionReadable ? "Win32s" : "the version query failed");
        system.versionResult = versionReadable ? 1 : 0;
        Construct(kPlatformWin32s);
        EXPECT_EQ(app->initialized, 0);

        EXPECT_FALSE(RunInitInstance());
        EXPECT_THAT(log, ElementsAre(kInitFailedBox));
        EXPECT_EQ(app->versionCheckMask(), 0) << "the mask is copied only once a dialog exists";

        Exit();
        EXPECT_THAT(log, ElementsAre(kInitFailedBox)) << "no restart";
        log.clear();
    }
}

TEST_F(AppTest, PlatformIdChoosesTheTransportAfterTheDialogAndTheMask) {
    struct Case {
        std::uint32_t platform;
        const char* expectedMake;
    };
    for (const Case& c : {Case{kPlatformWindows, "MakeAspi(mask=0x5A)"}, Case{kPlatformNt, "MakePassThrough(mask=0x5A)"},
                          Case{3, "MakeAspi(mask=0x5A)"}}) {
        SCOPED_TRACE(c.platform);
        transports.driveCount = 0;
        Construct(c.platform);
        EXPECT_FALSE(RunInitInstance());
        EXPECT_THAT(log, ElementsAre("CreateDialog", c.expectedMake, "Enumerate", kNoDeviceBox,
                                     "~Transport", "~Dialog"));
        EXPECT_EQ(app->versionCheckMask(), kPackageMask);
        Exit();
        log.clear();
    }
}

TEST_F(AppTest, VolumesAreOpenedReadWriteFromWindows2000On) {
    for (std::uint32_t major : {3u, 4u, 5u, 10u}) {
        SCOPED_TRACE(major);
        system.majorVersion = major;
        Construct(kPlatformNt);
        RunInitInstance();
        Exit();
    }
    using platform::VolumeAccess;
    EXPECT_THAT(transports.accesses, ElementsAre(VolumeAccess::ReadOnly, VolumeAccess::ReadOnly,
                                                 VolumeAccess::ReadWrite, VolumeAccess::ReadWrite));
}

TEST_F(AppTest, TransportThatFailsToInitialiseShowsThePlatformsTextAndSearchesNothing) {
    struct Case {
        std::uint32_t platform;
        const char* expectedMake;
        const std::string& expectedBox;
    };
    transports.initOk = 0;
    for (const Case& c : {Case{kPlatformWindows, "MakeAspi(mask=0x5A)", kAspiFailedBox},
                          Case{kPlatformNt, "MakePassThrough(mask=0x5A)", kNtFailedBox},
                          Case{3, "MakeAspi(mask=0x5A)", kAspiFailedBox}}) {
        SCOPED_TRACE(c.platform);
        Construct(c.platform);
        EXPECT_FALSE(RunInitInstance());
        EXPECT_THAT(log, ElementsAre("CreateDialog", c.expectedMake, c.expectedBox, "~Transport", "~Dialog"));
        Exit();
        EXPECT_EQ(log.size(), 5u) << "no restart";
        log.clear();
    }
}

TEST_F(AppTest, TransportThatCannotBeAllocatedIsReportedLikeAFailedInitialisation) {
    transports.outOfMemory = true;
    Construct(kPlatformNt);
    EXPECT_FALSE(RunInitInstance());
    EXPECT_THAT(log, ElementsAre("CreateDialog", "MakePassThrough(mask=0x5A)", kNtFailedBox, "~Dialog"));

    log.clear();
    Construct(kPlatformWindows);
    EXPECT_FALSE(RunInitInstance());
    EXPECT_THAT(log, ElementsAre("CreateDialog", "MakeAspi(mask=0x5A)", kAspiFailedBox, "~Dialog"));
}

TEST_F(AppTest, DialogThatCannotBeAllocatedEndsStartUpBeforeAnyTransport) {
    dialogs.outOfMemory = true;
    Construct(kPlatformNt);
    EXPECT_FALSE(RunInitInstance());
    EXPECT_THAT(log, ElementsAre("CreateDialog", kInitFailedBox));
}

TEST_F(AppTest, NoDriveFoundShowsItsOwnCaptionAndNeverRestarts) {
    transports.driveCount = 0;
    Construct(kPlatformNt).restartOnExit = 0;
    EXPECT_FALSE(RunInitInstance());
    EXPECT_THAT(log, ElementsAre("CreateDialog", "MakePassThrough(mask=0x5A)", "Enumerate",
                                 kNoDeviceBox, "~Transport", "~Dialog"));
    ASSERT_EQ(gui.boxes.size(), 1u);
    EXPECT_TRUE(gui.boxes[0].hasCaption);
    EXPECT_EQ(gui.boxes[0].style, kMbOk);
    EXPECT_EQ(app->restartOnExit, 0);
    log.clear();
    Exit();
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(AppTest, DialogRunsWithTheDrivesFoundAndItsAnswerDecidesTheRestart) {
    for (std::int32_t answer : {0, 1}) {
        SCOPED_TRACE(answer);
        transports.driveCount = 1;
        dialogs.restartAnswer = answer;
        Construct(kPlatformNt);
        // Whatever was there before, the dialog runs with no restart pending
        // and with the application's commands.
        app->restartOnExit = 7;
        dialogs.whileModal = [this](const FirmwareContext& context, FirmwareState& state) {
            log.push_back("while modal: restartOnExit=" + std::to_string(app->restartOnExit));
            // The browse button's operation, through the dialog's face.
            BrowseFirmwareFile(context, state);
        };
        EXPECT_FALSE(RunInitInstance());
        EXPECT_THAT(log, ElementsAre("CreateDialog", "MakePassThrough(mask=0x5A)", "Enumerate",
                                     "DoModal(devices=1)", "while modal: restartOnExit=0",
                                     "~Transport", "~Dialog"));
        EXPECT_EQ(app->restartOnExit, answer);
        EXPECT_EQ(gui.fileDialogs.size(), answer + 1u);
        EXPECT_THAT(gui.boxes, IsEmpty());
        log.clear();
        app->restartOnExit = 0;  // restart sequences are covered in restart_test.cpp
        Exit();
    }
}

// The ASPI manager may still complete a request the transport gave up on
// into the transport's request block: the transport is kept to the end.
TEST_F(AppTest, ATransportWithAnAbandonedRequestIsKeptWhenTheDialogEnds) {
    transports.abandonsRequest = true;
    Construct(kPlatformWindows);
    // The dialog's read-out gives up on a request.
    dialogs.whileModal = [](const FirmwareContext& context, FirmwareState&) {
        std::uint8_t block[16] = {};
        context.transport.ReadBufferMode1(block, 0, 0, sizeof block);
    };
    EXPECT_FALSE(RunInitInstance());
    EXPECT_THAT(log, ElementsAre("CreateDialog", "MakeAspi(mask=0x5A)", "Enumerate", "DoModal(devices=1)", "~Dialog"));
    delete transports.last;  // the end of the program, for this test
    EXPECT_EQ(log.back(), "~Transport");
}

TEST_F(AppTest, SeveralDrivesAllReachTheDialog) {
    transports.driveCount = 3;
    Construct(kPlatformWindows);
    EXPECT_FALSE(RunInitInstance());
    EXPECT_THAT(log, ElementsAre("CreateDialog", "MakeAspi(mask=0x5A)", "Enumerate",
                                 "DoModal(devices=3)", "~Transport", "~Dialog"));
}

TEST_F(AppTest, ConfirmedRestartAfterTheDialogHappensAtExitAfterEverythingIsGone) {
    dialogs.restartAnswer = 1;
    system.platformId = kPlatformWindows;
    Construct(kPlatformWindows);
    EXPECT_FALSE(RunInitInstance());
    Exit();
    EXPECT_THAT(log, ElementsAre("CreateDialog", "MakeAspi(mask=0x5A)", "Enumerate",
                                 "DoModal(devices=1)", "~Transport", "~Dialog", "ExitWindowsEx(2,0)"));
}

}  // namespace
