// The upgrade procedure: every exit with its text, device close, buffer
// releases and buttons; the selected drive; the revision and sum checks;
// the confirmations; the restart flag; the mask from the context.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "ops_fixture.h"

#include "firmware/upgrade_procedure.h"
#include "firmware/upgrade_procedure.h"

namespace {

class UpgradeProcedure : public OpsTest {
public:
    // The drive's "P1.2" fits the tag "P1.3" in "P1." with the mask 0x0E.
    std::optional<UpgradeExit> Run() { return RunUpgradeCommand(gui, Context(), state); }
};

struct ExitCase {
    const char* exit;
    std::function<void(UpgradeProcedure&)> arrange;
    const char* status;
    bool closed;
    int buffersTaken;     // all of them released again
    const char* buttons;  // 1014 1010 1011, 1 = enabled
    std::size_t downloads;
    int restartNeeded;
};

class UpgradeExits : public UpgradeProcedure, public ::testing::WithParamInterface<ExitCase> {};

// The exit each case takes, by its letter.
UpgradeExit ExitOf(const std::string& name) {
    const std::map<std::string, UpgradeExit> exits = {
        {"A", UpgradeExit::OpenFailed},         {"B", UpgradeExit::TypeUnknown},
        {"C", UpgradeExit::NotDvdRomOnly},      {"D", UpgradeExit::WrongImageSize},
        {"E", UpgradeExit::NoImageMemory},      {"F", UpgradeExit::NoReadMemory},
        {"G", UpgradeExit::RevisionMismatch},   {"H", UpgradeExit::SumMismatch},
        {"I", UpgradeExit::NoWarningText},      {"J", UpgradeExit::FirstNo},
        {"K", UpgradeExit::SecondNo},           {"J_BoxFailed", UpgradeExit::NotAsked},
        {"K_BoxFailed", UpgradeExit::NotAsked}, {"L", UpgradeExit::Upgraded},
        {"M", UpgradeExit::DownloadFailed}};
    return exits.at(name);
}

TEST_P(UpgradeExits, LeaveTheStatedTextDeviceBuffersAndButtons) {
    const ExitCase& c = GetParam();
    c.arrange(*this);
    EXPECT_EQ(Run(), ExitOf(c.exit));
    EXPECT_EQ(gui.text(kStatusLine), c.status);
    EXPECT_EQ(transport.opened.size(), 1u);
    EXPECT_EQ(transport.closes, c.closed ? 1 : 0);
    EXPECT_EQ(memory.allocations - (memory.failAt != 0 ? 1 : 0), c.buffersTaken);
    EXPECT_TRUE(memory.live.empty()) << "no buffer survives a run";
    EXPECT_EQ(memory.strayReleases, 0);
    EXPECT_TRUE(memory.live.empty()) << "every buffer taken is released";
    EXPECT_EQ(memory.strayReleases, 0);
    EXPECT_EQ(Buttons(), c.buttons);
    EXPECT_EQ(transport.downloads.size(), c.downloads);
    EXPECT_EQ(state.restartNeeded, c.restartNeeded);
}

const char kStart[] = "Start Flashing...\r\nDon't turn off the power!!";
const char kBlock1Error[] =
    "Error Happen in ID 1 OFFSET 0x0000\nPlease check whether your selected device is fit for the F/W !";
using F = UpgradeProcedure;

INSTANTIATE_TEST_SUITE_P(
    Table, UpgradeExits,
    ::testing::Values(
        ExitCase{"A", [](F& f) { f.transport.openResult = 0; },
                 "Open Device (0 1)TAVRINE KTX7724R05       Failed!!", false, 0, "111", 0, 0},
        ExitCase{"B", [](F& f) { f.transport.modeSenseResult = 0; }, "Can't recognize the drive type!!", true, 0,
                 "001", 0, 0},
        ExitCase{"C", [](F& f) { f.transport.dvdRomOnlyAfterModeSense = 0; }, "This F/W is only for DVD-ROM!", true,
                 0, "001", 0, 0},
        ExitCase{"D", [](F& f) { f.transport.imageSizeAfterOpen = 0x10000; }, kStart, true, 0, "111", 0, 0},
        ExitCase{"E", [](F& f) { f.memory.failAt = 1; }, "Memory (Write) Initialization Failed!!", true, 0, "111", 0,
                 0},
        ExitCase{"F", [](F& f) { f.memory.failAt = 2; }, "Memory (Read) Initialization Failed!!", true, 1, "111", 0,
                 0},
        ExitCase{"G", [](F& f) { f.mask = 0x0F; }, "F/W Version Not Match", true, 2, "001", 0, 0},
        ExitCase{"H", [](F& f) { f.SetPackage(PackageBlock(f.image, "P1.3", 0x0E, 0x1234)); },
                 "Check sum not match!! (0E89 / 1234)", true, 2, "011", 0, 0},
        ExitCase{"I", [](F& f) { f.gui.strings.erase(3); }, "Load String Error!!", true, 2, "011", 0, 0},
        ExitCase{"J", [](F& f) { f.gui.boxAnswers = {kAnswerNo}; }, "User cancel!!", true, 2, "011", 0, 0},
        ExitCase{"K", [](F& f) { f.gui.boxAnswers = {kAnswerYes, kAnswerNo}; }, "User cancel!!", true, 2, "011", 0,
                 0},
        // A box that could not be shown (the call returns 0) is no consent.
        ExitCase{"J_BoxFailed", [](F& f) { f.gui.boxAnswers = {0}; }, "User cancel!!", true, 2, "011", 0, 0},
        ExitCase{"K_BoxFailed", [](F& f) { f.gui.boxAnswers = {kAnswerYes, 0}; }, "User cancel!!", true, 2, "011", 0,
                 0},
        ExitCase{"L", [](F&) {}, "Upgrade Firmware Successful!!", true, 2, "011", 8, 1},
        ExitCase{"M", [](F& f) { f.transport.downloadResults = {0, 0, 0, 0, 0}; }, kBlock1Error, true, 2, "011", 5,
                 0}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string("Exit") + info.param.exit; });

TEST_F(UpgradeProcedure, OpensTheDriveAtTheSelectorsIndexAndNamesItOnFailure) {
    DeviceRecord third = Drive(2, 5);
    std::strcpy(third.vendorId, "OTHER   ");
    std::strcpy(third.productId, "DRIVE X         ");
    ListDrive(Drive(1, 3));
    ListDrive(third);
    gui.at(kDeviceSelector).curSel = 2;
    transport.openResult = 0;
    Run();
    ASSERT_EQ(transport.opened.size(), 1u);
    EXPECT_EQ(transport.opened[0].hostAdapter, 2);
    EXPECT_EQ(transport.opened[0].targetId, 5);
    EXPECT_EQ(state.selectedDevice, state.devices.RecordAt(2));
    EXPECT_EQ(gui.text(kStatusLine), "Open Device (2 5)OTHER   DRIVE X          Failed!!");
}

// A request the transport gave up on may still be completed into the
// buffers it names: the upgrade keeps both instead of freeing them.
TEST_F(UpgradeProcedure, KeepsItsBuffersAfterAnAbandonedRequest) {
    transport.downloadResults = {0, 0, 0, 0, 0};
    transport.duringCommand = [&] { transport.abandoned = true; };
    Run();
    EXPECT_EQ(gui.text(kStatusLine), kBlock1Error);
    ASSERT_EQ(memory.live.size(), 2u) << "kept, not freed";
    EXPECT_EQ(memory.live.count(const_cast<std::uint8_t*>(transport.downloads.back().data)), 1u)
        << "the block the request names";
    EXPECT_EQ(memory.strayReleases, 0);
    EXPECT_EQ(transport.closes, 1);
}

TEST_F(UpgradeProcedure, SuccessRunsTheStepsInOrder) {
    Run();
    const std::vector<std::string> head(gui.calls.begin(), gui.calls.begin() + 7);
    EXPECT_EQ(head, (std::vector<std::string>{"SetItemText(1004," + std::string(kStart) + ")", "ComboGetCurSel(1000)",
                                              "EnableItem(1014,0)", "EnableItem(1010,0)", "EnableItem(1011,0)",
                                              "Open(0:1)", "ModeSense()"}));
    EXPECT_EQ(memory.sizes, (std::vector<std::size_t>{kImageSize, kImageSize}));
    // The working copy, not the package, is what goes out.
    ASSERT_EQ(transport.downloads.size(), 8u);
    EXPECT_NE(transport.downloads[0].data, package.image());
    EXPECT_EQ(gui.text(kStatusLine), "Upgrade Firmware Successful!!");
    EXPECT_EQ(gui.calls.back(), "EnableItem(1011,1)");
}

TEST_F(UpgradeProcedure, ConfirmationsAreWarningYesNoBoxesAndOnlyYesGoesOn) {
    gui.boxAnswers = {kAnswerYes, kAnswerYes};
    Run();
    ASSERT_EQ(gui.boxes.size(), 2u);
    EXPECT_EQ(gui.boxes[0].text, kConfirmationText);
    EXPECT_EQ(gui.boxes[1].text, "Flashing Start!\nPLEASE DON'T TURN OFF THE POWER!");
    for (const auto& box : gui.boxes) {
        EXPECT_TRUE(box.hasCaption);
        EXPECT_EQ(box.caption, "WARNING");
        EXPECT_EQ(box.style, 0x34u);
    }
    EXPECT_EQ(Count("LoadText(3,300)"), 1);
    EXPECT_EQ(transport.downloads.size(), 8u);

    // Any other answer, Cancel among them, stops before the download.
    transport.downloads.clear();
    gui.boxAnswers = {kAnswerCancel};
    Run();
    EXPECT_EQ(gui.text(kStatusLine), "User cancel!!");
    EXPECT_TRUE(transport.downloads.empty());
}

TEST_F(UpgradeProcedure, ConfirmationTextIsCutTo299Characters) {
    gui.strings[3] = std::string(400, 'x');
    Run();
    ASSERT_FALSE(gui.boxes.empty());
    EXPECT_EQ(gui.boxes[0].text, std::string(299, 'x'));
}

TEST_F(UpgradeProcedure, RestartFlagStaysSetAfterALaterFailedRun) {
    Run();
    ASSERT_EQ(state.restartNeeded, 1);
    transport.downloadResults = {0, 0, 0, 0, 0};
    Run();
    EXPECT_EQ(gui.text(kStatusLine), kBlock1Error);
    EXPECT_EQ(Buttons(), "011");
    EXPECT_EQ(state.restartNeeded, 1);
}

TEST_F(UpgradeProcedure, UncombinedPackageIsRefusedBeforeTheDriveIsTouched) {
    std::vector<std::uint8_t> uncombined(package_layout::kPackageSize, 0);
    std::memcpy(uncombined.data(), package_layout::kUncombinedMarker, package_layout::kUncombinedMarkerLength);
    SetPackage(uncombined);
    mask = 0;  // the template's mask byte: every revision would pass
    EXPECT_EQ(Run(), UpgradeExit::Uncombined);
    EXPECT_EQ(gui.text(kStatusLine), "Need Combine firmware first !!");
    EXPECT_FALSE(gui.enabled(kUpgradeButton));
    EXPECT_TRUE(transport.opened.empty());
    EXPECT_EQ(memory.allocations, 0);
}

TEST_F(UpgradeProcedure, TheMaskComesFromTheContext) {
    mask = 0x0F;  // drive P1.2 against tag P1.3 at index 3
    Run();
    EXPECT_EQ(gui.text(kStatusLine), "F/W Version Not Match");
    mask = 0x0E;
    Run();
    EXPECT_EQ(gui.text(kStatusLine), "Upgrade Firmware Successful!!");
}

// What a face does between the steps (ktxflash's backup) may end the
// upgrade: the session then closes the drive and releases both buffers as
// it goes, and later steps find nothing open.
TEST_F(UpgradeProcedure, ASessionLeftAfterItsChecksClosesTheDriveAndReleasesTheBuffers) {
    {
        UpgradeSession session(Context());
        ASSERT_FALSE(session.CheckDrive(*state.devices.RecordAt(0)).has_value());
        EXPECT_TRUE(session.open());
        EXPECT_EQ(memory.live.size(), 2u);
        EXPECT_EQ(transport.closes, 0);
        EXPECT_NE(session.image(), package.image()) << "the working copy";
    }
    EXPECT_EQ(transport.closes, 1);
    EXPECT_TRUE(memory.live.empty());
    EXPECT_TRUE(transport.downloads.empty());
}

TEST_F(UpgradeProcedure, TheDownloadNamesTheBlockItGaveUpOnAndEndsTheSession) {
    transport.downloadResults = {1, 1, 0, 0, 0, 0, 0};
    UpgradeSession session(Context());
    ASSERT_FALSE(session.CheckDrive(*state.devices.RecordAt(0)).has_value());
    ASSERT_FALSE(session.Confirm("warning").has_value());
    DownloadEnd end;
    EXPECT_EQ(session.Download(state, end), UpgradeExit::DownloadFailed);
    EXPECT_EQ(end.block, 3);
    EXPECT_EQ(end.tries, 5);
    EXPECT_TRUE(end.reachedDrive);
    EXPECT_FALSE(session.open());
    EXPECT_EQ(transport.closes, 1);
    EXPECT_TRUE(memory.live.empty());
}

struct RevisionCase {
    const char* drive;
    const char* tag;
    std::uint8_t mask;
    bool matches;
};

TEST(RevisionCheck, ComparesTheMaskedPositionsIgnoringAsciiCase) {
    const RevisionCase cases[] = {
        {"P1.2", "P1.3", 0x00, true},   {"ZZZZ", "P1.3", 0xF0, true},   // no position selected
        {"P1.2", "P1.3", 0x0E, true},   {"P1.2", "P1.3", 0x01, false},  // bit 0: index 3
        {"p1.2", "P1.3", 0x08, true},   {"Q1.3", "P1.3", 0x08, false},  // bit 3: index 0
        {"PX.3", "P1.3", 0x04, false},  {"P1x3", "P1X3", 0x02, true},   // bits 2 and 1
        {"P1", "P1.3", 0x02, false},    {"P1.3XY", "P1.3", 0x0F, true},  // NUL-padded, 4 characters
        {"P1\xE9", "P1\xC9", 0x02, false},                               // only a-z are folded
    };
    for (const auto& c : cases)
        EXPECT_EQ(RevisionMatches(MakeRevisionText(c.drive), MakeRevisionText(c.tag), c.mask), c.matches)
            << c.drive << " / " << c.tag << " mask " << int(c.mask);
}

}  // namespace
