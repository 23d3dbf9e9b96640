#include "app/terminal/terminal_gui.h"

#include <cstring>

#include "app/terminal/yes_no_answer.h"
#include "platform/display_text.h"
#include "ui/resources/resource_strings.h"

namespace terminal {

TerminalGui::TerminalGui(std::FILE* out, std::FILE* in, bool outIsTerminal, TerminalAnswers answers)
    : out_(out), in_(in), answers_(answers), progress_(out, outIsTerminal) {}

void TerminalGui::PrintLine(const char* text) {
    progress_.EndLine();
    std::fputs(text, out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void TerminalGui::PrintText(const char* text) {
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

void TerminalGui::SetItemText(int id, const char* text) {
    if (id != kStatusLine) return;
    lastStatus_.Assign(text);
    // A dry run's stop is no cancel by the user; the program says what it is.
    if (dryRunStopped_) return;
    if (problems_ != nullptr) {
        if (const char* problem = problems_->CurrentProblem()) {
            // The system refused a request: say why once, not what failed after it.
            if (!problemShown_) PrintLine(problem);
            problemShown_ = true;
            return;
        }
    }
    PrintText(text);
}

void TerminalGui::ProgressSetPos(int id, int position) {
    if (id == kProgressBar) progress_.Show(position);
}

int TerminalGui::ShowMessage(const char* text, const char* caption, unsigned style) {
    const bool question = (style & 0x0Fu) == kMbYesNo;
    if (question && answers_.dryRun) {
        dryRunStopped_ = true;
        return kAnswerNo;
    }
    if (caption != nullptr && caption[0] != '\0') {
        MessageText heading;
        heading.Assign(caption);
        heading.Append(":");
        PrintText(heading.c_str());
    }
    PrintText(text);
    if (!question) return kAnswerOk;
    bool yes = true;
    if (answers_.assumeYes) {
        PrintLine("Continue? [y/N] yes (--yes)");
    } else {
        std::fputs("Continue? [y/N] ", out_);
        std::fflush(out_);
        yes = ReadYesAnswer(in_);
        if (answers_.echoAnswers)
            std::fputs(yes ? "(yes)\n" : "(no)\n", out_);
        else if (std::feof(in_))
            std::fputc('\n', out_);
    }
    if (!yes) return kAnswerNo;
    if (++yesAnswers_ == kQuestionsBeforeDownload && guard_ != nullptr) guard_->BeginDownload();
    return kAnswerYes;
}

int TerminalGui::LoadText(unsigned id, char* buffer, int bufferSize) {
    if (id != kConfirmationStringId || bufferSize <= 0) return 0;
    static const char kConfirmation[] = KTX_STRING_UPGRADE_CONFIRMATION;
    const int length = static_cast<int>(sizeof kConfirmation - 1);
    const int copied = length < bufferSize ? length : bufferSize - 1;
    std::memcpy(buffer, kConfirmation, static_cast<std::size_t>(copied));
    buffer[copied] = '\0';
    return copied;
}

}  // namespace terminal
