// The dialog over the firmware operations, as the program runs them: the
// buttons reach their operations on the dialog's state, through the
// dialog's face, and the dialog's one re-entry guard holds back clicks that
// arrive while an operation waits in a message box.

#include <gtest/gtest.h>

#include "combine_test_files.h"
#include "ops_fixture.h"
#include "ui/upgrade_dialog.h"

namespace {

// The dialog over the operations on a fixture's context, as the program
// runs them: the listed drives, the fixture's window, face and package.
class DialogOverOperations {
public:
    explicit DialogOverOperations(OpsTest& test) : context_(test.Context()), dialog_(Services(test)) {
        for (std::int32_t i = 0; i < test.state.devices.Count(); ++i)
            dialog_.state.devices.Append(*test.state.devices.RecordAt(i));
        dialog_.state.firmwarePath = test.state.firmwarePath;
        dialog_.SetOperations(&context_);
    }
    UpgradeDialog& dialog() { return dialog_; }

private:
    static DialogServices Services(OpsTest& test) {
        DialogServices services;
        services.gui = &test.gui;
        services.package = &test.package;
        return services;
    }

    const FirmwareContext context_;
    UpgradeDialog dialog_;
};

class DialogOperationsTest : public OpsTest {
public:
    ScratchDirectory scratch;
};

TEST_F(DialogOperationsTest, EachButtonRunsItsOperationOnTheDialogsState) {
    // What each operation shows first, on this dialog's controls.
    const struct {
        int button;
        const char* firstCall;
    } routes[] = {
        {kUpgradeButton, "SetItemText(1004,Start Flashing...\r\nDon't turn off the power!!)"},
        {kSaveButton, "SetItemText(1004,Save Firmware...)"},
        {kBrowseButton, "RunOpenFileDialog()"},
    };
    for (const auto& route : routes) {
        DialogOverOperations program(*this);
        gui.boxAnswers = {kAnswerNo};
        gui.calls.clear();
        EXPECT_TRUE(program.dialog().OnCommand(route.button));
        ASSERT_FALSE(gui.calls.empty()) << route.button;
        EXPECT_EQ(gui.calls[0], route.firstCall);
        EXPECT_FALSE(gui.ended);
    }
    // Upgrade and Save took their drive into the dialog's state.
    DialogOverOperations program(*this);
    gui.boxAnswers = {kAnswerNo};
    program.dialog().OnCommand(kUpgradeButton);
    EXPECT_EQ(program.dialog().state.selectedDevice, program.dialog().state.devices.RecordAt(0));
}

TEST_F(DialogOperationsTest, WithoutOperationsTheButtonsDoNothingButExitStillEnds) {
    DialogOverOperations program(*this);
    program.dialog().SetOperations(nullptr);
    gui.calls.clear();
    for (int button : {int{kUpgradeButton}, int{kSaveButton}, int{kBrowseButton}}) {
        EXPECT_TRUE(program.dialog().OnCommand(button));
    }
    EXPECT_TRUE(gui.calls.empty());
    EXPECT_TRUE(program.dialog().OnCommand(kExitButton));
    EXPECT_TRUE(gui.ended);
}

TEST_F(DialogOperationsTest, UpgradeClicksWhileAConfirmationIsOpenStartNothing) {
    // Escape, the close box, Enter and further clicks reach the dialog while
    // a confirmation is open; the re-entry guard drops them all.
    DialogOverOperations program(*this);
    UpgradeDialog& dialog = program.dialog();

    gui.whileBoxOpen = [&](const RecordingGui::ShownBox&) {
        for (int id : {int{kIdCancel}, int{kIdOk}, int{kExitButton}, int{kUpgradeButton}, int{kSaveButton},
                       int{kBrowseButton}})
            EXPECT_TRUE(dialog.OnCommand(id));
        EXPECT_FALSE(gui.ended);
        EXPECT_EQ(memory.live.size(), 2u) << "the running upgrade keeps its buffers";
    };
    dialog.OnCommand(kUpgradeButton);
    EXPECT_EQ(transport.opened.size(), 1u);
    EXPECT_EQ(gui.boxes.size(), 2u);
    EXPECT_TRUE(gui.fileDialogs.empty());
    EXPECT_EQ(files.opens, 0);
    EXPECT_EQ(transport.downloads.size(), 8u);
    EXPECT_EQ(gui.text(kStatusLine), "Upgrade Firmware Successful!!");
    EXPECT_EQ(dialog.state.restartNeeded, 1);
    // Once the run is over, the next click runs again.
    gui.whileBoxOpen = nullptr;
    dialog.OnCommand(kUpgradeButton);
    EXPECT_EQ(transport.opened.size(), 2u);
}

TEST_F(DialogOperationsTest, SaveClicksDuringTheOverwriteQuestionStartNothing) {
    state.firmwarePath.Assign(scratch.Path("fw.bin").c_str());
    scratch.Write("fw.bin", {9});
    DialogOverOperations program(*this);
    gui.whileBoxOpen = [&](const RecordingGui::ShownBox&) {
        program.dialog().OnCommand(kSaveButton);
        program.dialog().OnCommand(kUpgradeButton);
    };
    gui.boxAnswers = {kAnswerYes};
    program.dialog().OnCommand(kSaveButton);
    EXPECT_EQ(gui.boxes.size(), 1u);
    EXPECT_EQ(files.opens, 1);
    EXPECT_EQ(transport.opened.size(), 1u);
    EXPECT_EQ(gui.text(kStatusLine), "Upgrade Firmware Successful!!");
}

}  // namespace
