// The dialog from construction to the end of its initialisation: icon,
// caption, selector entries, the template-package refusal, progress bar
// and the reset of the shared state.

#include <string>
#include <vector>

#include "dialog_test_support.h"


namespace {

using Calls = std::vector<std::string>;

TEST_F(DialogTest, ConstructionLoadsTheApplicationIconAndStartsEmpty) {
    UpgradeDialog dialog(Services());
    EXPECT_EQ(gui.calls, Calls{"LoadAppIcon(154)"});
    EXPECT_EQ(dialog.icon, RecordingGui::AppIcon());
    EXPECT_EQ(dialog.state.devices.Count(), 0);
    EXPECT_TRUE(dialog.state.firmwarePath.empty());
    EXPECT_EQ(dialog.restartConfirmed, 0);
    EXPECT_EQ(dialog.state.selectedDevice, nullptr);
}

TEST_F(DialogTest, InitialisationWithOneDriveRunsItsStepsInOrderAndLocksTheSelector) {
    UpgradeDialog dialog(Services());
    dialog.state.devices.Append(DriveRecord("TAVRINE ", "KTX7724R05      ", "P1.2  "));
    // Left-overs that the initialisation must reset.
    DeviceRecord stale = DriveRecord("X", "Y", "Z");
    dialog.state.selectedDevice = &stale;
    dialog.state.restartNeeded = 1;
    dialog.state.progress = 55;
    gui.calls.clear();

    EXPECT_TRUE(dialog.OnInitDialog());

    const Calls expected{
        "SetWindowIcon(big,app)",
        "SetWindowIcon(small,app)",
        "GetCaption()",
        "SetCaption(Tavrine KTX7724R05 Upgrade to P1.3 Tool 1.01)",
        "ComboAddString(1000,TAVRINE  KTX7724R05       P1.2   Version 0.0)",
        "ComboSetCurSel(1000,0)",
        "EnableItem(1000,0)",
        "ProgressSetRange(1001,0,100)",
        "ProgressSetPos(1001,0)",
    };
    EXPECT_EQ(gui.calls, expected);
    EXPECT_EQ(gui.at(kDeviceSelector).curSel, 0);
    EXPECT_FALSE(gui.enabled(kDeviceSelector));
    EXPECT_EQ(dialog.state.selectedDevice, nullptr);
    EXPECT_EQ(dialog.state.restartNeeded, 0);
    EXPECT_EQ(dialog.state.progress, 0);
    // A combined package: nothing said, Upgrade offered.
    EXPECT_TRUE(gui.enabled(kUpgradeButton));
    EXPECT_EQ(gui.text(kStatusLine), "");
}

TEST_F(DialogTest, SeveralDrivesAreListedInOrderWithFirstSelectedAndTheSelectorEnabled) {
    UpgradeDialog dialog(Services());
    dialog.state.devices.Append(DriveRecord("TAVRINE ", "KTX7724R05      ", "P1.2  "));
    dialog.state.devices.Append(DriveRecord("ACME    ", "CD-RW 52X       ", "1.0B  ", 1, 2));
    // The version numbers are unsigned 16-bit values.
    dialog.state.devices.Append(DriveRecord("TAVRINE ", "KTX7724R05      ", "P1.3  ", 0xFFFF, 0x8000));

    dialog.OnInitDialog();

    const std::vector<std::string> expected{
        "TAVRINE  KTX7724R05       P1.2   Version 0.0",
        "ACME     CD-RW 52X        1.0B   Version 1.2",
        "TAVRINE  KTX7724R05       P1.3   Version 65535.32768",
    };
    EXPECT_EQ(gui.at(kDeviceSelector).entries, expected);
    EXPECT_EQ(gui.at(kDeviceSelector).curSel, 0);
    EXPECT_TRUE(gui.enabled(kDeviceSelector));
    for (const std::string& call : gui.calls) EXPECT_NE(call.rfind("EnableItem(1000", 0), 0u) << call;
}

TEST_F(DialogTest, EntryTextsStopAtEachFieldsTerminatorAndNeverReadPastTheField) {
    UpgradeDialog dialog(Services());
    DeviceRecord shortNames = DriveRecord("AB", "CD", "E");
    DeviceRecord unterminated = DriveRecord("", "", "");
    // Fields filled to their last byte, terminator included: the entry
    // takes each field's bytes and nothing of the field after it.
    std::memset(unterminated.vendorId, 'V', sizeof unterminated.vendorId);
    std::memset(unterminated.productId, 'P', sizeof unterminated.productId);
    std::memset(unterminated.productRevision, 'R', sizeof unterminated.productRevision);
    dialog.state.devices.Append(shortNames);
    dialog.state.devices.Append(unterminated);

    dialog.OnInitDialog();

    ASSERT_EQ(gui.at(kDeviceSelector).entries.size(), 2u);
    EXPECT_EQ(gui.at(kDeviceSelector).entries[0], "AB CD E Version 0.0");
    EXPECT_EQ(gui.at(kDeviceSelector).entries[1],
              std::string(9, 'V') + " " + std::string(17, 'P') + " " + std::string(7, 'R') + " Version 0.0");
}

TEST_F(DialogTest, TemplatePackageDisablesUpgradeAndAsksForTheCombineStep) {
    for (bool nullPackage : {false, true}) {
        SCOPED_TRACE(nullPackage ? "no package" : "template package");
        RecordingGui fresh;
        gui = fresh;
        UpgradeDialog dialog(Services(nullPackage ? nullptr : &uncombined_));
        dialog.state.devices.Append(DriveRecord("TAVRINE ", "KTX7724R05      ", "P1.2  "));
        dialog.state.devices.Append(DriveRecord("TAVRINE ", "KTX7724R05      ", "P1.2  "));

        EXPECT_TRUE(dialog.OnInitDialog());

        EXPECT_FALSE(gui.enabled(kUpgradeButton));
        EXPECT_EQ(gui.text(kStatusLine), "Need Combine firmware first !!");
        // Exit and the selector stay usable.
        EXPECT_TRUE(gui.enabled(kExitButton));
        EXPECT_TRUE(gui.enabled(kDeviceSelector));
        // The rest of the initialisation still runs.
        EXPECT_EQ(gui.at(kProgressBar).rangeHigh, 100);
        EXPECT_EQ(gui.progressHistory, std::vector<int>{0});
    }
}

TEST_F(DialogTest, CaptionGetsTheToolVersionAppendedOnce) {
    gui.caption = "Some Caption";
    UpgradeDialog dialog(Services());
    dialog.state.devices.Append(DriveRecord("A", "B", "C"));
    dialog.OnInitDialog();
    EXPECT_EQ(gui.caption, "Some Caption 1.01");
}

TEST_F(DialogTest, DataExchangeMovesThePathBothWays) {
    UpgradeDialog dialog(Services());
    dialog.state.firmwarePath.Assign("C:\\fw\\p13.bin");
    dialog.DoDataExchange(true);
    EXPECT_EQ(gui.text(kPathField), "C:\\fw\\p13.bin");

    gui.at(kPathField).text = "D:\\other.bin";
    dialog.DoDataExchange(false);
    EXPECT_STREQ(dialog.state.firmwarePath.c_str(), "D:\\other.bin");
}

}  // namespace
