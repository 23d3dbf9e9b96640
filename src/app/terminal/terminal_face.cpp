#include "app/terminal/terminal_face.h"

#include <cstring>

#include "app/terminal/yes_no_answer.h"
#include "firmware/shared_texts.h"
#include "firmware/upgrade_procedure.h"
#include "platform/display_text.h"

namespace terminal {

TerminalFace::TerminalFace(std::FILE* out, std::FILE* in, bool outIsTerminal, TerminalAnswers answers,
                           TerminalGuards guards, JsonReport* json)
    : out_(out), in_(in), answers_(answers), guards_(guards), json_(json), progress_(out, outIsTerminal) {}

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
    // After a problem of the system, what failed because of it goes unsaid.
    if (systemProblemSaid_) return;
    PrintText(text);
}

void TerminalFace::ShowProgress(int percent) { progress_.Show(percent); }

Answer TerminalFace::Ask(Question question, const char* text, Answer suggested) {
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

void TerminalFace::CheckEnded(UpgradeCheck check, bool passed, const char* text) {
    if (checkListener_ != nullptr) checkListener_->CheckEnded(check, passed, text);
}

void TerminalFace::PhaseBegins(Phase phase) {
    switch (phase) {
    case Phase::Checks:
        return;
    case Phase::Download:
        if (!systemProblemSaid_) PrintText(kStartFlashingText);
        progress_.Restart();
        guards_.system.KeepSystemAwake(true);
        if (guards_.interrupts != nullptr) guards_.interrupts->Hold();
        return;
    case Phase::ReadOut:
        progress_.Restart();
        guards_.system.KeepSystemAwake(true);
        return;
    }
}

void TerminalFace::PhaseEnds(Phase phase, bool) {
    if (phase == Phase::Checks) return;
    if (phase == Phase::Download && guards_.interrupts != nullptr) guards_.interrupts->Release();
    guards_.system.KeepSystemAwake(false);
}

void TerminalFace::BlockAttempted(Phase phase, int block, int attempt, bool accepted) {
    // A block that failed every try is told with the download's end.
    if (json_ != nullptr && phase == Phase::Download && accepted) json_->Block(block, attempt, true);
}

void TerminalFace::SystemProblem(const char* text) {
    // Said once: the failures that follow it have the same cause.
    if (systemProblemSaid_) return;
    systemProblemSaid_ = true;
    MessageText line;
    line.Assign("ktxflash: ");
    AppendDisplayText(line, text);
    PrintLine(line.c_str());
}

}  // namespace terminal
