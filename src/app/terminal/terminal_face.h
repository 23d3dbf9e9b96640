#pragma once
// ktxflash's face of the firmware operations: status texts become printed
// lines, progress a ProgressDisplay, questions questions on the terminal
// with the default the operations suggest (or answered by --yes); with
// --json, the accepted blocks of a download become JSON objects too; the
// checks go to a listener. While firmware goes to the drive the system is kept awake
// and interruptions wait; during a read-out the system is kept awake. A
// problem the system reported is printed once, in place of the status
// texts of what fails after it. The upgrade's "Start Flashing..." is shown
// as the download begins; each transfer's progress starts at 0 and never
// goes back. There is no file chooser: the command line names the file.

#include <cstdio>

#include "app/terminal/json_report.h"
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

// Who hears of each check of the upgrade as it ends (ktxflash prints it
// and writes it to --json).
class CheckListener {
public:
    virtual ~CheckListener() = default;
    virtual void CheckEnded(UpgradeCheck check, bool passed, const char* text) = 0;
};

class TerminalFace : public OperationsPort {
public:
    // `out` takes the session, `in` the answers; `outIsTerminal` chooses the
    // progress bar over plain lines; `json` (may be null) takes the checks
    // and blocks. The guards' objects and `json` must outlive the face.
    TerminalFace(std::FILE* out, std::FILE* in, bool outIsTerminal, TerminalAnswers answers, TerminalGuards guards,
                 JsonReport* json);

    void ShowStatus(const char* text) override;
    void ShowProgress(int percent) override;
    void CheckEnded(UpgradeCheck check, bool passed, const char* text) override;
    void PhaseBegins(Phase phase) override;
    void PhaseEnds(Phase phase, bool succeeded) override;
    void BlockAttempted(Phase phase, int block, int attempt, bool accepted) override;
    void SystemProblem(const char* text) override;
    Answer Ask(Question question, const char* text, Answer suggested) override;
    bool ChooseFile(const FileChoice&, ChosenFile&) override { return false; }

    // The last status text the operations showed ("" before the first).
    const char* lastStatus() const { return lastStatus_.c_str(); }
    // Prints one line of the program's own (ends the progress bar's line first).
    void PrintLine(const char* text);
    // Who hears of the checks; null: nobody. It must outlive its use.
    void SetCheckListener(CheckListener* listener) { checkListener_ = listener; }

private:
    // Prints `text` line by line, outside characters shown escaped.
    void PrintText(const char* text);

    std::FILE* out_;
    std::FILE* in_;
    TerminalAnswers answers_;
    TerminalGuards guards_;
    JsonReport* json_;
    CheckListener* checkListener_ = nullptr;
    ProgressDisplay progress_;
    MessageText lastStatus_;
    // A problem of the system was printed: what fails after it goes unsaid.
    bool systemProblemSaid_ = false;
};

}  // namespace terminal
