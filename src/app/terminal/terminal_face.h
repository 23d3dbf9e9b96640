#pragma once
// ktxflash's face of the firmware operations: status texts become printed
// lines, progress a ProgressDisplay, and questions questions on the
// terminal with the default the operations suggest (or answered by --yes).
// Under --dry-run the first question is not asked: the checks have all run
// by then, so the run stops there with nothing sent. While firmware goes to
// the drive the system is kept awake and interruptions wait; during a
// read-out the system is kept awake. A problem the system reported is
// printed once, in place of the status texts of what fails after it. The
// dialog's commands and file chooser have no terminal form: one command
// runs per invocation, on the one drive and file the command line names.
// The upgrade's first status, "Start Flashing...", is shown as the
// download starts, not before the checks and questions; each transfer's
// progress starts at 0 and never goes back.

#include <cstdio>

#include "app/terminal/progress_display.h"
#include "firmware/operations_port.h"
#include "platform/fixed_text.h"
#include "platform/interrupt_guard.h"
#include "platform/system_services.h"

namespace terminal {

// Printed where a dry run stops.
constexpr char kDryRunStoppedText[] =
    "Dry run: every check passed; no firmware command was sent to the drive.";

struct TerminalAnswers {
    bool assumeYes = false;  // --yes
    bool dryRun = false;     // --dry-run
    // Answers typed at a terminal show themselves; answers from a file or a
    // pipe are echoed after the question, so the session reads whole.
    bool echoAnswers = false;
};

// What the face holds while firmware moves: `system` keeps the PC awake,
// `interrupts` (may be null) holds off interruptions during a download.
struct TerminalGuards {
    SystemServices& system;
    InterruptGuard* interrupts;
};

// What ktxflash does with the upgrade's checks: each is reported as it
// ends, and once every one has passed the step works with the drive before
// the first question (the backup); false from Run ends the upgrade.
class CheckedDriveStep {
public:
    virtual ~CheckedDriveStep() = default;
    virtual void CheckEnded(UpgradeCheck check, bool passed, const char* text) = 0;
    virtual bool Run() = 0;
};

class TerminalFace : public OperationsPort {
public:
    // `out` takes the session, `in` the answers; `outIsTerminal` chooses the
    // progress bar over plain lines. The guards' objects must outlive the face.
    TerminalFace(std::FILE* out, std::FILE* in, bool outIsTerminal, TerminalAnswers answers, TerminalGuards guards);

    void ShowStatus(const char* text) override;
    void ShowProgress(int percent) override;
    void EnableCommand(Command, bool) override {}
    void ShowFirmwareFile(const char*) override {}
    // The one drive the command line named, entry 0 of the device list.
    int ChosenDrive() override { return 0; }
    int LoadUpgradeWarning(char* buffer, int room) override;
    Answer Ask(Question question, const char* text, Answer suggested) override;
    bool ChooseFile(const FileChoice&, ChosenFile&) override { return false; }
    void CheckEnded(UpgradeCheck check, bool passed, const char* text) override;
    bool ChecksPassed() override;
    void DownloadBegins() override;
    void DownloadEnds() override;
    void ReadOutBegins() override;
    void ReadOutEnds() override;
    void SystemProblem(const char* text) override;
    void DeviceWentAway(int blocksAccepted) override { blocksAcceptedBeforeGone_ = blocksAccepted; }

    // True when a dry run stopped at the first question.
    bool dryRunStopped() const { return dryRunStopped_; }
    // The last status text the operations showed ("" before the first).
    const char* lastStatus() const { return lastStatus_.c_str(); }
    // True once a problem of the system was printed.
    bool problemShown() const { return problemShown_; }
    // The blocks the drive had accepted when it went away during the
    // download; -1 while it has not gone.
    int blocksAcceptedBeforeGone() const { return blocksAcceptedBeforeGone_; }
    // Prints one line of the program's own (ends the progress bar's line first).
    void PrintLine(const char* text);
    // The step ChecksPassed runs; null: none, the upgrade goes on. It must
    // outlive the face's use.
    void SetCheckedDriveStep(CheckedDriveStep* step) { checkedDriveStep_ = step; }

private:
    // Prints `text` line by line, outside characters shown escaped.
    void PrintText(const char* text);

    std::FILE* out_;
    std::FILE* in_;
    TerminalAnswers answers_;
    TerminalGuards guards_;
    ProgressDisplay progress_;
    CheckedDriveStep* checkedDriveStep_ = nullptr;
    MessageText lastStatus_;
    bool startFlashingHeld_ = false;
    bool dryRunStopped_ = false;
    bool problemShown_ = false;
    int blocksAcceptedBeforeGone_ = -1;
};

}  // namespace terminal
