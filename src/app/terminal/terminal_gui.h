#pragma once
// The GUI service of ktxflash: the firmware operations' status line becomes
// printed lines, the progress bar a ProgressDisplay, and their Yes/No
// questions questions on the terminal whose default is No (or answered by
// --yes). Under --dry-run the first question is not asked: the checks have
// all run by then, so the run stops there with nothing sent. Buttons and the
// path field have no terminal form; the drive selector always reads entry
// 0, the one drive named on the command line.

#include <cstdio>

#include "app/terminal/progress_display.h"
#include "platform/fixed_text.h"
#include "platform/gui_service.h"

namespace terminal {

// What the device layer has to say in place of a status text: a request
// the system refused (such as a firmware command without the rights for
// it) is explained once, instead of the block error that follows it.
class DeviceProblems {
public:
    virtual ~DeviceProblems() = default;
    // The explanation, or null while there is nothing to explain.
    virtual const char* CurrentProblem() = 0;
};

// What must hold while firmware goes to the drive (no sleep, no shutdown,
// no interruption from the keyboard): begun once the user has answered
// yes to the upgrade's last question, ended by the program after the run.
class DownloadGuard {
public:
    virtual ~DownloadGuard() = default;
    virtual void BeginDownload() = 0;
    // Ends what BeginDownload began; nothing when it did not begin.
    virtual void EndDownload() = 0;
};

// The upgrade asks two questions; the download follows the second yes.
constexpr int kQuestionsBeforeDownload = 2;

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

class TerminalGui : public GuiService {
public:
    // `out` takes the session, `in` the answers; `outIsTerminal` chooses the
    // progress bar over plain lines.
    TerminalGui(std::FILE* out, std::FILE* in, bool outIsTerminal, TerminalAnswers answers);

    // `problems` (may be null) must outlive its use.
    void SetDeviceProblems(DeviceProblems* problems) { problems_ = problems; }
    // `guard` (may be null) is begun after the upgrade's last yes.
    void SetDownloadGuard(DownloadGuard* guard) { guard_ = guard; }

    void SetItemText(int id, const char* text) override;
    void EnableItem(int, bool) override {}
    int ComboGetCurSel(int) override { return 0; }
    void ProgressSetPos(int id, int position) override;
    int ShowMessage(const char* text, const char* caption, unsigned style) override;
    int LoadText(unsigned id, char* buffer, int bufferSize) override;
    bool RunOpenFileDialog(const OpenFileRequest&, OpenFileResult&) override { return false; }

    // The last status text the operations wrote ("" before any).
    const char* lastStatus() const { return lastStatus_.c_str(); }
    // True when a dry run stopped at the first question.
    bool dryRunStopped() const { return dryRunStopped_; }
    // The questions answered yes so far.
    int yesAnswers() const { return yesAnswers_; }
    // True once a device problem was printed.
    bool problemShown() const { return problemShown_; }
    // Prints one line of the program's own (ends the progress bar's line first).
    void PrintLine(const char* text);

private:
    // Prints `text` line by line, outside characters shown escaped.
    void PrintText(const char* text);

    std::FILE* out_;
    std::FILE* in_;
    TerminalAnswers answers_;
    ProgressDisplay progress_;
    DeviceProblems* problems_ = nullptr;
    DownloadGuard* guard_ = nullptr;
    int yesAnswers_ = 0;
    MessageText lastStatus_;
    bool dryRunStopped_ = false;
    bool problemShown_ = false;
};

}  // namespace terminal
