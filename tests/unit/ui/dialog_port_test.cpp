// The dialog's face of the operations: every event of the port reaches the
// control, message box, string or system call it always has, and nothing
// else.

#include "ui/dialog_port.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fake_system.h"
#include "recording_gui.h"

namespace {

class DialogPortTest : public ::testing::Test {
protected:
    RecordingGui gui;
    FakeSystem system{gui.calls};
    DialogPort port{gui, system};
};

TEST_F(DialogPortTest, EachEventReachesItsControlOrSystemCall) {
    const struct {
        const char* event;
        std::function<void(OperationsPort&)> send;
        std::vector<std::string> calls;
    } cases[] = {
        {"status", [](OperationsPort& p) { p.ShowStatus("Save Firmware..."); }, {"SetItemText(1004,Save Firmware...)"}},
        {"progress", [](OperationsPort& p) { p.ShowProgress(37); }, {"ProgressSetPos(1001,37)"}},
        // Upgrade is disabled for the download and enabled again only after one that succeeded.
        {"download", [](OperationsPort& p) { p.PhaseBegins(Phase::Download); p.PhaseEnds(Phase::Download, true); },
         {"KeepSystemAwake(true)", "EnableItem(1010,0)", "EnableItem(1010,1)", "KeepSystemAwake(false)"}},
        {"failed download",
         [](OperationsPort& p) { p.PhaseBegins(Phase::Download); p.PhaseEnds(Phase::Download, false); },
         {"KeepSystemAwake(true)", "EnableItem(1010,0)", "KeepSystemAwake(false)"}},
        {"read-out", [](OperationsPort& p) { p.PhaseBegins(Phase::ReadOut); p.PhaseEnds(Phase::ReadOut, false); },
         {"KeepSystemAwake(true)", "KeepSystemAwake(false)"}},
        {"checks", [](OperationsPort& p) { p.PhaseBegins(Phase::Checks); p.PhaseEnds(Phase::Checks, true); }, {}},
        {"attempts and checks",
         [](OperationsPort& p) {
             p.BlockAttempted(Phase::Download, 1, 1, true);
             p.CheckEnded(UpgradeCheck::Revision, false, "F/W Version Not Match");
         },
         {}},
        // The status text that follows says what failed; the dialog shows that alone.
        {"problem", [](OperationsPort& p) { p.SystemProblem("/dev/sg0: not permitted"); }, {}},
    };
    for (const auto& c : cases) {
        gui.calls.clear();
        c.send(port);
        EXPECT_EQ(gui.calls, c.calls) << c.event;
    }
}

TEST_F(DialogPortTest, QuestionsAreOwnerlessBoxesWhoseButtonsBecomeAnswers) {
    const struct {
        Question question;
        bool hasCaption;
        unsigned style;
    } boxes[] = {
        {Question::UpgradeWarning, true, 0x34},
        {Question::FlashingStart, true, 0x34},
        {Question::OverwriteFile, false, 0x04},
    };
    for (const auto& box : boxes) {
        gui.boxes.clear();
        // The suggested answer changes nothing: a box of this program has none.
        gui.boxAnswers = {kAnswerYes, kAnswerNo, 0};
        EXPECT_EQ(port.Ask(box.question, "text", Answer::No), Answer::Yes);
        EXPECT_EQ(port.Ask(box.question, "text", Answer::Yes), Answer::No);
        EXPECT_EQ(port.Ask(box.question, "text", Answer::No), Answer::NoAnswer) << "a box that could not be shown";
        ASSERT_EQ(gui.boxes.size(), 3u);
        for (const auto& shown : gui.boxes) {
            EXPECT_EQ(shown.text, "text");
            EXPECT_EQ(shown.hasCaption, box.hasCaption);
            EXPECT_EQ(shown.caption, box.hasCaption ? "WARNING" : "");
            EXPECT_EQ(shown.style, box.style);
        }
    }
}

TEST_F(DialogPortTest, TheChooserHidesReadOnly) {
    FileChoice choice;
    choice.defaultExtension = "bin";
    choice.initialFileName = "*.bin";
    choice.filter = "Firmware File (bin)";
    choice.initialDirectory = "C:\\TOOLS";
    gui.fileDialogConfirms = true;
    gui.fileDialogResult = {"C:\\TOOLS\\fw.bin", "bin"};
    ChosenFile chosen;
    ASSERT_TRUE(port.ChooseFile(choice, chosen));
    EXPECT_STREQ(chosen.fullPath.c_str(), "C:\\TOOLS\\fw.bin");
    ASSERT_EQ(gui.fileDialogs.size(), 1u);
    const RecordingGui::SeenFileRequest& seen = gui.fileDialogs[0];
    EXPECT_EQ(seen.flags, kOfnHideReadOnly);
    EXPECT_EQ(seen.defaultExtension + seen.initialFileName + seen.filter + seen.initialDirectory,
              "bin*.binFirmware File (bin)C:\\TOOLS");
    gui.fileDialogConfirms = false;
    EXPECT_FALSE(port.ChooseFile(choice, chosen));
}

}  // namespace
