#pragma once
// ktxflash on the terminal: its face of the firmware operations (printed
// lines, a progress display, questions answered on the terminal or by
// --yes), and what it says of the commands sent (the -v log, the notice of
// a drive slow to answer).

#include <cstdint>
#include <cstdio>

#include "app/terminal/json_report.h"
#include "device/scsi_transport.h"
#include "firmware/operations_port.h"
#include "platform/fixed_text.h"
#include "platform/interrupt_guard.h"
#include "platform/system_services.h"
#include "platform/wait_timer.h"

namespace terminal {

// Printed where a dry run stops.
constexpr char kDryRunStoppedText[] =
    "Dry run: every check passed; no firmware command was sent to the drive.";

// The answer to a confirmation: only "y" or "yes" goes on, in any mix of
// case, with blanks around it and the line end (\n or \r\n) ignored. An
// empty line (Enter) takes the question's default: yes when `yesWhenEmpty`.
// Anything else, a line longer than kAnswerLineCapacity (read to its end,
// so the next question starts afresh) and the end of input mean No.
constexpr int kAnswerLineCapacity = 64;
bool IsYesAnswer(const char* line);
bool ReadYesAnswer(std::FILE* in, bool yesWhenEmpty = false);

// "\r[#####.....]  12%" for `percent` (clamped to 0..100), 40 characters
// between the brackets.
void FormatProgressBar(int percent, TextBuffer& out);

// A transfer's progress: a bar redrawn in place when the output is a
// terminal, plain lines (one per new value) when it is a file or a pipe,
// so that logs stay readable.
class ProgressDisplay {
public:
    ProgressDisplay(std::FILE* out, bool isTerminal) : out_(out), isTerminal_(isTerminal) {}

    // Shows `percent` (0..100) unless it would go back within the transfer.
    void Show(int percent);
    // A new transfer: ends the bar's line; the next Show starts from 0.
    void Restart() {
        EndLine();
        shown_ = -1;
    }
    // Ends the bar's line, so that the next text starts on a line of its
    // own; the next Show starts a new bar. Does nothing for plain lines.
    void EndLine();

private:
    std::FILE* out_;
    bool isTerminal_;
    int shown_ = -1;
    bool barOpen_ = false;
};

// How the face takes its answers.
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

// Status texts become printed lines, progress a ProgressDisplay; with
// --json the accepted blocks of a download become JSON objects too; the
// checks go to a listener. While firmware goes to the drive the system is
// kept awake and interruptions wait; during a read-out the system is kept
// awake. A problem the system reported is printed once, in place of the
// status texts of what fails after it. "Start Flashing..." is shown as the
// download begins. There is no file chooser: the command line names the file.
class TerminalFace : public OperationsPort {
public:
    // `out` takes the session, `in` the answers; `outIsTerminal` chooses the
    // progress bar over plain lines; `json` (may be null) takes the checks
    // and blocks. The guards' objects and `json` must outlive the face.
    TerminalFace(std::FILE* out, std::FILE* in, bool outIsTerminal, TerminalAnswers answers, TerminalGuards guards,
                 JsonReport* json)
        : out_(out), in_(in), answers_(answers), guards_(guards), json_(json), progress_(out, outIsTerminal) {}

    void ShowStatus(const char* text) override;
    void ShowProgress(int percent) override { progress_.Show(percent); }
    void CheckEnded(UpgradeCheck check, bool passed, const char* text) override {
        if (checkListener_ != nullptr) checkListener_->CheckEnded(check, passed, text);
    }
    void PhaseBegins(Phase phase) override;
    void PhaseEnds(Phase phase, bool succeeded) override;
    void BlockAttempted(Phase phase, int block, int attempt, bool accepted) override {
        // A block that failed every try is told with the download's end.
        if (json_ != nullptr && phase == Phase::Download && accepted) json_->Block(block, attempt, true);
    }
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

// ktxflash -v: one line per command sent, with its bytes, direction,
// length, outcome and the time it took, printed through the face as it ends.
class CommandLog : public CommandObserver {
public:
    // `clock` times each command; it must outlive the log.
    CommandLog(TerminalFace& face, SystemServices& clock) : face_(face), clock_(clock) {}
    void CommandStarts(const CommandReport&) override { started_ = clock_.Milliseconds(); }
    void CommandEnded(const CommandReport& report) override;

private:
    TerminalFace& face_;
    SystemServices& clock_;
    std::uint32_t started_ = 0;
};

// Says when a command has had no answer for 10 s, and again every 30 s:
// which block it waits for, that the drive may take minutes, and not to
// unplug it. A WaitTimer calls it on a thread of its own while the command
// blocks the program; the pass-through's time-outs stay as they are. It
// sees every command through the transport's observer and hands each on
// to `next` (the command log or the JSON report; may be null).
class WaitingNotice : public CommandObserver, private WaitListener {
public:
    // `timer` may be null: then nothing is said. Both must outlive the notice.
    WaitingNotice(TerminalFace& face, WaitTimer* timer, CommandObserver* next)
        : face_(face), timer_(timer), next_(next) {}
    ~WaitingNotice() override {
        if (timer_ != nullptr) timer_->Stop();
    }
    WaitingNotice(const WaitingNotice&) = delete;
    WaitingNotice& operator=(const WaitingNotice&) = delete;

    void CommandStarts(const CommandReport& report) override;
    void CommandEnded(const CommandReport& report) override;

private:
    void StillWaiting(std::uint32_t waitedMs) override;

    TerminalFace& face_;
    WaitTimer* timer_;
    CommandObserver* next_;
    // What the command is about, set before the timer starts.
    MessageText purpose_;
};

}  // namespace terminal
