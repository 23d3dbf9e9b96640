// Leaving the dialog: Exit, Enter (IDOK), Escape and the close box (IDCANCEL)
// all run the exit handler, which asks about the restart only after a
// successful upgrade and always ends the dialog with IDOK.

#include <string>

#include "dialog_test_support.h"

#include "ui/resources/resources.h"

namespace {

constexpr char kPromptCaption[] = "DVD Firmware Upgrade Program - Restart System";

class ExitTest : public DialogTest {
protected:
    ExitTest() : dialog(Services()), operations(RecordedOperations()) {
        dialog.SetOperations(&operations);
        dialog.state.devices.Append(DriveRecord("TAVRINE ", "KTX7724R05      ", "P1.2  "));
        dialog.OnInitDialog();
        gui.strings[1] = KTX_STRING_RESTART_PROMPT;
        gui.at(kPathField).text = "C:\\chosen.bin";
        gui.calls.clear();
    }

    UpgradeDialog dialog;
    const FirmwareContext operations;
};

TEST_F(ExitTest, WithoutAnUpgradeEveryWayOutEndsTheDialogWithoutAPrompt) {
    for (int command : {kExitButton, kIdOk, kIdCancel}) {
        SCOPED_TRACE(command);
        gui.calls.clear();
        gui.ended = false;
        dialog.restartConfirmed = 1;  // whatever it held, leaving reports 0
        dialog.state.firmwarePath.Clear();

        EXPECT_TRUE(dialog.OnCommand(command));

        EXPECT_TRUE(gui.boxes.empty());
        EXPECT_EQ(dialog.restartConfirmed, 0);
        // The base OnOK: path field to member, then the end with IDOK.
        EXPECT_STREQ(dialog.state.firmwarePath.c_str(), "C:\\chosen.bin");
        EXPECT_EQ(gui.calls, (std::vector<std::string>{"GetItemText(1002)", "EndDialog(1)"}));
    }
}

TEST_F(ExitTest, AfterAnUpgradeTheRestartPromptDecidesRestartConfirmed) {
    struct Case {
        int command;
        int answer;
        int confirmed;
    };
    const Case cases[] = {
        {kExitButton, kAnswerOk, 1},
        {kIdCancel, kAnswerOk, 1},
        {kIdOk, kAnswerCancel, 0},
        {kExitButton, kAnswerCancel, 0},
        {kExitButton, 0, 0},  // the box could not be shown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + "/" + std::to_string(c.answer));
        gui.boxes.clear();
        gui.calls.clear();
        gui.boxAnswers = {c.answer};
        dialog.state.restartNeeded = 1;

        EXPECT_TRUE(dialog.OnCommand(c.command));

        ASSERT_EQ(gui.boxes.size(), 1u);
        EXPECT_EQ(gui.boxes[0].text, KTX_STRING_RESTART_PROMPT);
        EXPECT_EQ(gui.boxes[0].caption, kPromptCaption);
        EXPECT_EQ(gui.boxes[0].style, 0x21u);
        EXPECT_EQ(dialog.restartConfirmed, c.confirmed);
        // String 1 is read into 256 bytes with 255 offered; the dialog ends
        // with IDOK whatever the answer.
        const std::vector<std::string> expected{"LoadText(1,255)", "ShowMessage(" KTX_STRING_RESTART_PROMPT ")",
                                                "GetItemText(1002)", "EndDialog(1)"};
        EXPECT_EQ(gui.calls, expected);
    }
}

TEST_F(ExitTest, MissingRestartTextFallsBackToTheFixedPrompt) {
    gui.strings.clear();
    dialog.state.restartNeeded = 1;
    for (int answer : {kAnswerOk, kAnswerCancel}) {
        gui.boxes.clear();
        gui.boxAnswers = {answer};
        dialog.OnCommand(kExitButton);
        ASSERT_EQ(gui.boxes.size(), 1u);
        EXPECT_EQ(gui.boxes[0].text, "Must Reboot this PC");
        EXPECT_EQ(gui.boxes[0].caption, "Reboot");
        EXPECT_EQ(gui.boxes[0].style, 0x21u);
        EXPECT_EQ(dialog.restartConfirmed, answer == kAnswerOk ? 1 : 0);
        EXPECT_EQ(gui.endDialogResult, kIdOk);
    }
}

TEST_F(ExitTest, ClicksWhileTheRestartPromptIsOpenAreDropped) {
    // The prompt has no owner: the user can still reach the dialog.
    dialog.state.restartNeeded = 1;
    int endsWhileOpen = 0;
    gui.whileBoxOpen = [&](const RecordingGui::ShownBox&) {
        EXPECT_TRUE(dialog.OnCommand(kExitButton));
        EXPECT_TRUE(dialog.OnCommand(kIdCancel));
        EXPECT_TRUE(dialog.OnCommand(kUpgradeButton));
        if (gui.ended) ++endsWhileOpen;
    };

    dialog.OnCommand(kExitButton);

    EXPECT_EQ(gui.boxes.size(), 1u);
    EXPECT_EQ(endsWhileOpen, 0);
    EXPECT_TRUE(port.events.empty()) << "no operation ran";
    EXPECT_EQ(dialog.restartConfirmed, 1);
    EXPECT_EQ(gui.endDialogResult, kIdOk);
}

}  // namespace
