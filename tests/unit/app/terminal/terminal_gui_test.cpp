// The terminal's form of the GUI service: status texts as lines, questions
// whose default is No, --yes and --dry-run, and a device problem printed
// once in place of what fails after it.

#include "app/terminal/terminal_gui.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "captured_file.h"

namespace {

using terminal::TerminalAnswers;
using terminal::TerminalGui;

constexpr unsigned kQuestion = kMbYesNo | kMbIconWarning;

class TerminalGuiTest : public ::testing::Test {
protected:
    TerminalGui MakeGui(const std::string& input, TerminalAnswers answers = {}) {
        in_ = std::make_unique<CapturedFile>(input);
        return TerminalGui(out_.file(), in_->file(), false, answers);
    }

    CapturedFile out_;
    std::unique_ptr<CapturedFile> in_;
};

TEST_F(TerminalGuiTest, StatusTextsBecomeLinesWithOutsideBytesEscaped) {
    TerminalGui gui = MakeGui("");
    gui.SetItemText(kStatusLine, "Start Flashing...\r\nDon't turn off the power!!");
    gui.SetItemText(kStatusLine, "Cant open the file a\x1b[2Jb");
    gui.SetItemText(kPathField, "not shown");
    EXPECT_EQ(out_.Text(), "Start Flashing...\nDon't turn off the power!!\nCant open the file a\\x1B[2Jb\n");
    EXPECT_STREQ(gui.lastStatus(), "Cant open the file a\x1b[2Jb");
    EXPECT_EQ(gui.ComboGetCurSel(kDeviceSelector), 0);
}

TEST_F(TerminalGuiTest, OnlyYesGoesOnAndTheEndOfInputIsNo) {
    TerminalGui gui = MakeGui("yes\n\nY\nn\n");
    EXPECT_EQ(gui.ShowMessage("first", "WARNING", kQuestion), kAnswerYes);
    EXPECT_EQ(gui.ShowMessage("second", "WARNING", kQuestion), kAnswerNo);  // Enter
    EXPECT_EQ(gui.ShowMessage("third", "WARNING", kQuestion), kAnswerYes);
    EXPECT_EQ(gui.ShowMessage("fourth", "WARNING", kQuestion), kAnswerNo);
    EXPECT_EQ(gui.ShowMessage("fifth", "WARNING", kQuestion), kAnswerNo);  // end of input
    const std::string text = out_.Text();
    EXPECT_NE(text.find("WARNING:\nfirst\nContinue? [y/N] "), std::string::npos);
    EXPECT_NE(text.find("fifth\nContinue? [y/N] \n"), std::string::npos);
}

TEST_F(TerminalGuiTest, EchoedAnswersKeepAPipedSessionReadable) {
    TerminalGui gui = MakeGui("y\n", TerminalAnswers{false, false, true});
    gui.ShowMessage("first", nullptr, kQuestion);
    gui.ShowMessage("second", nullptr, kQuestion);
    EXPECT_EQ(out_.Text(), "first\nContinue? [y/N] (yes)\nsecond\nContinue? [y/N] (no)\n");
}

TEST_F(TerminalGuiTest, YesAnswersEveryQuestionWithoutReading) {
    TerminalGui gui = MakeGui("n\n", TerminalAnswers{true, false, false});
    EXPECT_EQ(gui.ShowMessage("first", "WARNING", kQuestion), kAnswerYes);
    EXPECT_EQ(gui.ShowMessage("second", "WARNING", kQuestion), kAnswerYes);
    EXPECT_NE(out_.Text().find("Continue? [y/N] yes (--yes)\n"), std::string::npos);
    // A message that is no question is shown and needs no answer.
    EXPECT_EQ(gui.ShowMessage("note", nullptr, kMbOk), kAnswerOk);
}

TEST_F(TerminalGuiTest, ADryRunStopsAtTheFirstQuestionWithoutShowingTheCancel) {
    TerminalGui gui = MakeGui("y\ny\n", TerminalAnswers{true, true, false});
    EXPECT_EQ(gui.ShowMessage("first", "WARNING", kQuestion), kAnswerNo);
    EXPECT_TRUE(gui.dryRunStopped());
    gui.SetItemText(kStatusLine, "User cancel!!");
    EXPECT_EQ(out_.Text(), "");
}

class CountingGuard : public terminal::DownloadGuard {
public:
    void BeginDownload() override { ++begun; }
    void EndDownload() override { ++ended; }
    int begun = 0, ended = 0;
};

TEST_F(TerminalGuiTest, TheDownloadGuardBeginsAfterTheSecondYesOnly) {
    CountingGuard guard;
    TerminalGui gui = MakeGui("y\nn\ny\ny\n");
    gui.SetDownloadGuard(&guard);
    gui.ShowMessage("first", "WARNING", kQuestion);
    gui.ShowMessage("second", "WARNING", kQuestion);  // No: nothing follows
    EXPECT_EQ(guard.begun, 0);
    gui.ShowMessage("a note", nullptr, kMbOk);
    EXPECT_EQ(guard.begun, 0);
    gui.ShowMessage("third", "WARNING", kQuestion);
    EXPECT_EQ(guard.begun, 1);
    gui.ShowMessage("fourth", "WARNING", kQuestion);
    EXPECT_EQ(guard.begun, 1);

    CountingGuard dryGuard;
    TerminalGui dry = MakeGui("", TerminalAnswers{true, true, false});
    dry.SetDownloadGuard(&dryGuard);
    dry.ShowMessage("first", "WARNING", kQuestion);
    dry.ShowMessage("second", "WARNING", kQuestion);
    EXPECT_EQ(dryGuard.begun, 0);
}

class FixedProblem : public terminal::DeviceProblems {
public:
    const char* CurrentProblem() override { return text; }
    const char* text = nullptr;
};

TEST_F(TerminalGuiTest, ADeviceProblemIsPrintedOnceInPlaceOfTheStatusTexts) {
    TerminalGui gui = MakeGui("");
    FixedProblem problem;
    gui.SetDeviceProblems(&problem);
    gui.SetItemText(kStatusLine, "Start Flashing...");
    problem.text = "ktxflash: /dev/sg0: run as root to flash";
    gui.SetItemText(kStatusLine, "Error Happen in ID 1 OFFSET 0x0000");
    gui.SetItemText(kStatusLine, "another");
    EXPECT_TRUE(gui.problemShown());
    EXPECT_EQ(out_.Text(), "Start Flashing...\nktxflash: /dev/sg0: run as root to flash\n");
}

TEST_F(TerminalGuiTest, TheConfirmationTextIsTheProgramsStringThree) {
    TerminalGui gui = MakeGui("");
    char text[300] = {};
    const int length = gui.LoadText(kConfirmationStringId, text, sizeof text);
    EXPECT_EQ(length, 267);
    EXPECT_EQ(std::string(text).substr(0, 41), "1.Please remove any media from the device");
    char small[10] = {};
    EXPECT_EQ(gui.LoadText(kConfirmationStringId, small, sizeof small), 9);
    EXPECT_STREQ(small, "1.Please ");
    EXPECT_EQ(gui.LoadText(kRestartPromptStringId, text, sizeof text), 0);
}

}  // namespace
