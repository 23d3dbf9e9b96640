// The terminal's face of the operations: status texts as lines, questions
// with their suggested answer and --yes, a problem of the system printed
// once in place of what fails after it, what is held while firmware moves,
// and --json's checks and blocks.

#include "app/terminal/terminal_face.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "captured_file.h"
#include "fake_system.h"

namespace {

using terminal::TerminalAnswers;
using terminal::TerminalFace;

// Records when interruptions are held, into the system fake's log.
class LoggedInterrupts : public InterruptGuard {
public:
    explicit LoggedInterrupts(std::vector<std::string>& log) : log_(log) {}
    void Hold() override { log_.push_back("Hold"); }
    void Release() override { log_.push_back("Release"); }

private:
    std::vector<std::string>& log_;
};

class TerminalFaceTest : public ::testing::Test {
protected:
    std::unique_ptr<TerminalFace> MakeFace(const std::string& input, TerminalAnswers answers = {}) {
        in_ = std::make_unique<CapturedFile>(input);
        return std::make_unique<TerminalFace>(out_.file(), in_->file(), false, answers,
                                              terminal::TerminalGuards{system_, &interrupts_}, json_);
    }

    CapturedFile out_;
    std::unique_ptr<CapturedFile> in_;
    std::vector<std::string> log_;
    FakeSystem system_{log_};
    LoggedInterrupts interrupts_{log_};
    terminal::JsonReport* json_ = nullptr;
};

TEST_F(TerminalFaceTest, StatusTextsBecomeLinesWithOutsideBytesEscaped) {
    auto face = MakeFace("");
    face->ShowStatus("Cant open the file a\x1b[2Jb\r\nnext");
    face->PhaseBegins(Phase::Checks);
    face->PhaseEnds(Phase::Checks, true);
    EXPECT_EQ(out_.Text(), "Cant open the file a\\x1B[2Jb\nnext\n");
    FileChoice choice;
    ChosenFile chosen;
    EXPECT_FALSE(face->ChooseFile(choice, chosen));
    EXPECT_TRUE(log_.empty());
}

TEST_F(TerminalFaceTest, StartFlashingIsShownAsTheDownloadBeginsWhoseProgressNeverGoesBack) {
    auto face = MakeFace("");
    face->ShowProgress(50);  // a read-out before the download (the backup)
    face->ShowStatus("after the checks");
    EXPECT_EQ(out_.Text(), "Progress: 50%\nafter the checks\n");
    face->PhaseBegins(Phase::Download);
    for (int percent : {12, 87, 75, 100}) face->ShowProgress(percent);
    face->PhaseEnds(Phase::Download, true);
    EXPECT_EQ(out_.Text(), "Progress: 50%\nafter the checks\nStart Flashing...\nDon't turn off the power!!\n"
                           "Progress: 12%\nProgress: 87%\nProgress: 100%\n");
}

TEST_F(TerminalFaceTest, OnlyYesGoesOnUnlessTheSuggestionIsYesAndTheEndOfInputIsNo) {
    auto face = MakeFace("yes\n\nY\nn\n\n");
    EXPECT_EQ(face->Ask(Question::UpgradeWarning, "first", Answer::No), Answer::Yes);
    EXPECT_EQ(face->Ask(Question::FlashingStart, "second", Answer::No), Answer::No);  // Enter
    EXPECT_EQ(face->Ask(Question::FlashingStart, "third", Answer::No), Answer::Yes);
    EXPECT_EQ(face->Ask(Question::OverwriteFile, "fourth", Answer::Yes), Answer::No);
    EXPECT_EQ(face->Ask(Question::OverwriteFile, "fifth", Answer::Yes), Answer::Yes);  // Enter
    EXPECT_EQ(face->Ask(Question::UpgradeWarning, "sixth", Answer::Yes), Answer::No);  // end of input
    const std::string text = out_.Text();
    // The upgrade's questions carry the warning heading; the overwrite question none.
    EXPECT_NE(text.find("WARNING:\nfirst\nContinue? [y/N] "), std::string::npos) << text;
    EXPECT_NE(text.find("WARNING:\nsecond\nContinue? [y/N] "), std::string::npos) << text;
    EXPECT_NE(text.find("[y/N] fourth\nContinue? [Y/n] "), std::string::npos) << text;
    EXPECT_NE(text.find("sixth\nContinue? [Y/n] \n"), std::string::npos) << text;
}

TEST_F(TerminalFaceTest, EchoedAnswersKeepAPipedSessionReadable) {
    auto face = MakeFace("y\n", TerminalAnswers{false, true});
    face->Ask(Question::OverwriteFile, "first", Answer::No);
    face->Ask(Question::OverwriteFile, "second", Answer::No);
    EXPECT_EQ(out_.Text(), "first\nContinue? [y/N] (yes)\nsecond\nContinue? [y/N] (no)\n");
}

TEST_F(TerminalFaceTest, YesAnswersEveryQuestionWithoutReading) {
    auto face = MakeFace("n\n", TerminalAnswers{true, false});
    EXPECT_EQ(face->Ask(Question::UpgradeWarning, "first", Answer::No), Answer::Yes);
    EXPECT_EQ(face->Ask(Question::FlashingStart, "second", Answer::No), Answer::Yes);
    EXPECT_NE(out_.Text().find("Continue? [y/N] yes (--yes)\n"), std::string::npos);
}

TEST_F(TerminalFaceTest, AProblemOfTheSystemIsPrintedOnceInPlaceOfTheStatusTexts) {
    auto face = MakeFace("");
    face->ShowStatus("Start Flashing...");
    face->SystemProblem("/dev/sg0: run as root to flash");
    face->ShowStatus("Error Happen in ID 1 OFFSET 0x0000");
    face->SystemProblem("/dev/sg0: run as root to flash");
    face->ShowStatus("another");
    EXPECT_EQ(out_.Text(), "Start Flashing...\nktxflash: /dev/sg0: run as root to flash\n");
}

TEST_F(TerminalFaceTest, DownloadsKeepThePcAwakeAndHoldInterruptionsReadOutsOnlyKeepItAwake) {
    const struct {
        const char* transfer;
        std::function<void(TerminalFace&)> run;
        std::vector<std::string> calls;
    } cases[] = {
        {"download", [](TerminalFace& f) { f.PhaseBegins(Phase::Download); f.PhaseEnds(Phase::Download, false); },
         {"KeepSystemAwake(true)", "Hold", "Release", "KeepSystemAwake(false)"}},
        {"read-out", [](TerminalFace& f) { f.PhaseBegins(Phase::ReadOut); f.PhaseEnds(Phase::ReadOut, true); },
         {"KeepSystemAwake(true)", "KeepSystemAwake(false)"}},
    };
    for (const auto& c : cases) {
        log_.clear();
        auto face = MakeFace("");
        c.run(*face);
        EXPECT_EQ(log_, c.calls) << c.transfer;
        EXPECT_FALSE(system_.keptAwake) << c.transfer;
    }
}

// Checks go to the listener as they end; --json takes each accepted block
// of a download with its tries, while a read-out's blocks and refused tries
// write nothing (the download's end names a block that failed every try).
class RecordedChecks : public terminal::CheckListener {
public:
    void CheckEnded(UpgradeCheck check, bool passed, const char* text) override {
        seen += std::string(UpgradeCheckName(check)) + (passed ? " passed" : std::string(" failed: ") + text);
    }
    std::string seen;
};

TEST_F(TerminalFaceTest, ChecksGoToTheListenerAndAcceptedDownloadBlocksToJson) {
    CapturedFile json;
    terminal::JsonReport report(json.file());
    json_ = &report;
    auto face = MakeFace("");
    RecordedChecks checks;
    face->SetCheckListener(&checks);
    face->CheckEnded(UpgradeCheck::Revision, false, "F/W Version Not Match");
    face->BlockAttempted(Phase::ReadOut, 1, 1, true);
    face->BlockAttempted(Phase::Download, 3, 1, false);
    face->BlockAttempted(Phase::Download, 3, 2, true);
    EXPECT_EQ(checks.seen, "revision failed: F/W Version Not Match");
    EXPECT_EQ(json.Text(), "{\"type\":\"block\",\"block\":3,\"tries\":2,\"accepted\":true}\n");
    EXPECT_EQ(out_.Text(), "") << "the face prints neither";
}

// -v: each command's line ends with the milliseconds between its start and
// its end, right across the clock's wrap.
TEST_F(TerminalFaceTest, TheCommandLogTimesEachCommandAcrossTheClocksWrap) {
    auto face = MakeFace("");
    terminal::CommandLog log(*face, system_);
    CommandReport report;
    report.Begin(commands::TestUnitReady());
    report.good = true;
    system_.clock = 0xFFFFFFF0u;
    system_.clockStep = 25;  // the start reads ...09, the end 0x22 after the wrap
    log.CommandStarts(report);
    log.CommandEnded(report);
    EXPECT_EQ(out_.Text(), "  command 00 00 00 00 00 00 00 00 00 00 00 00 (no data): good (25 ms)\n");
}

// A timer the test runs by hand: it keeps what it was started with.
class HandTimer : public WaitTimer {
public:
    bool Start(WaitListener& listener, std::uint32_t firstMs, std::uint32_t everyMs) override {
        listener_ = &listener;
        first = firstMs;
        every = everyMs;
        return true;
    }
    void Stop() override { listener_ = nullptr; }
    // What the timer's thread would do after `ms` of waiting.
    void Elapse(std::uint32_t ms) {
        if (listener_ != nullptr) listener_->StillWaiting(ms);
    }
    bool running() const { return listener_ != nullptr; }
    std::uint32_t first = 0, every = 0;

private:
    WaitListener* listener_ = nullptr;
};

// Each command is timed while it is out, and the notice says which block it
// waits for; the command's end stops the timer before the log sees it.
TEST_F(TerminalFaceTest, ASlowCommandIsSaidWithItsBlockAndTheTimerStopsAtItsEnd) {
    auto face = MakeFace("");
    HandTimer timer;
    terminal::CommandLog log(*face, system_);
    terminal::WaitingNotice notice(*face, &timer, &log);
    const struct {
        commands::Command command;
        const char* purpose;
    } cases[] = {
        {commands::VendorDownload(5, 0x1234, 0x4000, 0x0E89), "block 5 of 8 of the download"},
        {commands::ReadBufferMode1(1, 0x4000, 0x4000), "block 6 of 8 of the read-out"},
        {commands::TestUnitReady(), "command 00h"},
    };
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        CommandReport report;
        report.Begin(c.command);
        notice.CommandStarts(report);
        EXPECT_EQ(timer.first, 10000u);
        EXPECT_EQ(timer.every, 30000u);
        timer.Elapse(10000);
        timer.Elapse(40000);
        notice.CommandEnded(report);
        EXPECT_FALSE(timer.running());
        timer.Elapse(70000);  // a timer that ignored Stop would be heard here
        const std::string said = std::string("ktxflash: waiting for the drive to answer for ") + c.purpose;
        expected.push_back(said + " (10 s so far); the drive may take minutes: do not unplug it or turn it off.");
        expected.push_back(said + " (40 s so far); the drive may take minutes: do not unplug it or turn it off.");
        expected.push_back("  command ");  // handed on to the log after the timer stopped
    }
    const std::string text = out_.Text();
    std::size_t at = 0;
    for (const std::string& line : expected) {
        const std::size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "\nin:\n" << text;
        at = found + line.size();
    }
    EXPECT_EQ(text.find("70 s"), std::string::npos);
}

}  // namespace
