// The dialog over the application's commands, as the program runs them:
// the buttons reach the firmware operations on the dialog's state, and the
// dialog's one re-entry guard holds back clicks that arrive while a command
// waits in a message box.

#include <gtest/gtest.h>

#include "app/operation_commands.h"
#include "combine_test_files.h"
#include "ops_fixture.h"
#include "ui/upgrade_dialog.h"

namespace {

// The dialog over the application's commands on a fixture's context, as the
// program runs them: the listed drives, the fixture's GUI and package.
class DialogOverOperations {
public:
    explicit DialogOverOperations(OpsTest& test)
        : context_(test.Context()), commands_(context_), dialog_(Services(test)) {
        for (std::int32_t i = 0; i < test.state.devices.Count(); ++i)
            dialog_.state.devices.Append(*test.state.devices.RecordAt(i));
        dialog_.state.firmwarePath = test.state.firmwarePath;
        dialog_.SetCommands(&commands_);
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
    OperationCommands commands_;
    UpgradeDialog dialog_;
};

class OperationCommandsTest : public OpsTest {
public:
    ScratchDirectory scratch;
};

TEST_F(OperationCommandsTest, UpgradeClicksWhileAConfirmationIsOpenStartNothing) {
    // Through the dialog and the application's commands, as the program runs
    // them: the dialog's one re-entry guard holds the second click back.
    DialogOverOperations program(*this);
    UpgradeDialog& dialog = program.dialog();

    gui.whileBoxOpen = [&](const RecordingGui::ShownBox&) {
        dialog.OnCommand(kUpgradeButton);
        dialog.OnCommand(kSaveButton);
        dialog.OnCommand(kBrowseButton);
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

TEST_F(OperationCommandsTest, SaveClicksDuringTheOverwriteQuestionStartNothing) {
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
