#include "app/terminal/terminal_face.h"

#include <cstring>

#include "app/terminal/yes_no_answer.h"
#include "firmware/shared_texts.h"
#include "firmware/status_text.h"
#include "platform/display_text.h"

namespace terminal {

TerminalFace::TerminalFace(std::FILE* out, std::FILE* in, bool outIsTerminal, TerminalAnswers answers,
                           TerminalGuards guards)
    : out_(out), in_(in), answers_(answers), guards_(guards), progress_(out, outIsTerminal) {}

void TerminalFace::PrintLine(const char* text) {
    progress_.EndLine();
    std::fputs(text, out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void TerminalFace::PrintText(const char* text) {
    progress_.EndLine();
    // Each line on its own; a "\r\n" of the dialog's texts is one line end.
    const char* line = text;
    while (true) {
        const char* end = std::strchr(line, '\n');
        std::size_t length = end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
        if (length > 0 && line[length - 1] == '\r') --length;
        MessageText shown;
        AppendDisplayText(shown, line, length);
        std::fputs(shown.c_str(), out_);
        std::fputc('\n', out_);
        if (end == nullptr) break;
        line = end + 1;
    }
    std::fflush(out_);
}

void TerminalFace::ShowStatus(const char* text) {
    lastStatus_.Assign(text);
    // A dry run's stop is no cancel by the user; the program says what it is.
    // After a problem of the system, what failed because of it goes unsaid.
    if (dryRunStopped_ || problemShown_) return;
    if (std::strcmp(text, kStartFlashingText) == 0) {
        startFlashingHeld_ = true;
        return;
    }
    PrintText(text);
}

void TerminalFace::ShowProgress(int percent) { progress_.Show(percent); }

Answer TerminalFace::Ask(Question question, const char* text, Answer suggested) {
    if (answers_.dryRun) {
        dryRunStopped_ = true;
        return Answer::No;
    }
    if (question != Question::OverwriteFile) PrintText(KTX_TEXT_WARNING_CAPTION ":");
    PrintText(text);
    const bool yesByDefault = suggested == Answer::Yes;
    const char* prompt = yesByDefault ? "Continue? [Y/n] " : "Continue? [y/N] ";
    if (answers_.assumeYes) {
        MessageText line;
        line.Assign(prompt);
        line.Append("yes (--yes)");
        PrintLine(line.c_str());
        return Answer::Yes;
    }
    std::fputs(prompt, out_);
    std::fflush(out_);
    const bool yes = ReadYesAnswer(in_, yesByDefault);
    if (answers_.echoAnswers)
        std::fputs(yes ? "(yes)\n" : "(no)\n", out_);
    else if (std::feof(in_))
        std::fputc('\n', out_);
    return yes ? Answer::Yes : Answer::No;
}

int TerminalFace::LoadUpgradeWarning(char* buffer, int room) {
    if (room <= 0) return 0;
    static const char kWarning[] = KTX_TEXT_UPGRADE_WARNING;
    const int length = static_cast<int>(sizeof kWarning - 1);
    const int copied = length < room ? length : room - 1;
    std::memcpy(buffer, kWarning, static_cast<std::size_t>(copied));
    buffer[copied] = '\0';
    return copied;
}

void TerminalFace::CheckEnded(UpgradeCheck check, bool passed, const char* text) {
    if (checkedDriveStep_ != nullptr) checkedDriveStep_->CheckEnded(check, passed, text);
}

bool TerminalFace::ChecksPassed() { return checkedDriveStep_ == nullptr || checkedDriveStep_->Run(); }

void TerminalFace::DownloadBegins() {
    if (startFlashingHeld_) {
        startFlashingHeld_ = false;
        PrintText(kStartFlashingText);
    }
    progress_.Restart();
    guards_.system.KeepSystemAwake(true);
    if (guards_.interrupts != nullptr) guards_.interrupts->Hold();
}

void TerminalFace::DownloadEnds() {
    if (guards_.interrupts != nullptr) guards_.interrupts->Release();
    guards_.system.KeepSystemAwake(false);
}

void TerminalFace::ReadOutBegins() {
    progress_.Restart();
    guards_.system.KeepSystemAwake(true);
}

void TerminalFace::ReadOutEnds() { guards_.system.KeepSystemAwake(false); }

void TerminalFace::SystemProblem(const char* text) {
    // Said once: the failures that follow it have the same cause.
    if (problemShown_) return;
    problemShown_ = true;
    MessageText line;
    line.Assign("ktxflash: ");
    AppendDisplayText(line, text);
    PrintLine(line.c_str());
}

}  // namespace terminal
