#include "app/terminal/terminal_face.h"

#include <cstring>

#include "device/command_report_text.h"
#include "firmware/shared_texts.h"
#include "firmware/upgrade_procedure.h"
#include "platform/ascii_case.h"
#include "platform/display_text.h"

namespace terminal {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsBlankLine(const char* line) {
    for (; *line != '\0'; ++line)
        if (!IsBlank(*line)) return false;
    return true;
}

int Clamped(int percent) { return percent < 0 ? 0 : percent > 100 ? 100 : percent; }

constexpr int kProgressBarWidth = 40;
constexpr std::uint32_t kFirstWaitNoticeMs = 10000;
constexpr std::uint32_t kWaitNoticeEveryMs = 30000;

}  // namespace

bool IsYesAnswer(const char* line) {
    std::size_t begin = 0;
    std::size_t end = std::strlen(line);
    while (begin < end && IsBlank(line[begin])) ++begin;
    while (end > begin && IsBlank(line[end - 1])) --end;
    const std::size_t length = end - begin;
    if (length != 1 && length != 3) return false;
    const char* yes = "YES";
    for (std::size_t i = 0; i < length; ++i)
        if (AsciiUpper(line[begin + i]) != yes[i]) return false;
    return true;
}

bool ReadYesAnswer(std::FILE* in, bool yesWhenEmpty) {
    char line[kAnswerLineCapacity];
    if (std::fgets(line, sizeof line, in) == nullptr) return false;
    const std::size_t length = std::strlen(line);
    const bool whole = (length > 0 && line[length - 1] == '\n') || std::feof(in);  // the last line may lack its end
    if (whole) return yesWhenEmpty && IsBlankLine(line) ? true : IsYesAnswer(line);
    // Longer than any answer: skip the rest of it.
    for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in)) {
    }
    return false;
}

void FormatProgressBar(int percent, TextBuffer& out) {
    const int value = Clamped(percent);
    char bar[kProgressBarWidth + 1];
    const int filled = value * kProgressBarWidth / 100;
    for (int i = 0; i < kProgressBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kProgressBarWidth] = '\0';
    out.Format("\r[%s] %3d%%", bar, value);
}

void ProgressDisplay::Show(int percent) {
    const int value = Clamped(percent);
    // Never backwards within one transfer (the download's last block reports
    // 75 before its 100).
    if (value < shown_) return;
    if (value == shown_ && (barOpen_ || !isTerminal_)) return;
    FixedText<kProgressBarWidth + 16> text;
    if (isTerminal_) {
        FormatProgressBar(value, text);
        barOpen_ = true;
    } else {
        text.Format("Progress: %d%%\n", value);
    }
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
    shown_ = value;
}

void ProgressDisplay::EndLine() {
    if (!barOpen_) return;
    std::fputs("\n", out_);
    std::fflush(out_);
    barOpen_ = false;
}

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

Answer TerminalFace::Ask(Question question, const char* text, Answer suggested) {
    if (question != Question::OverwriteFile) PrintText(KTX_TEXT_WARNING_CAPTION ":");
    PrintText(text);
    const bool yesByDefault = suggested == Answer::Yes;
    const char* prompt = yesByDefault ? "Continue? [Y/n] " : "Continue? [y/N] ";
    if (answers_.assumeYes) {
        MessageText line(prompt);
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

void TerminalFace::PhaseBegins(Phase phase) {
    if (phase == Phase::Checks) return;
    const bool download = phase == Phase::Download;
    if (download && !systemProblemSaid_) PrintText(kStartFlashingText);
    progress_.Restart();
    guards_.system.KeepSystemAwake(true);
    if (download && guards_.interrupts != nullptr) guards_.interrupts->Hold();
}

void TerminalFace::PhaseEnds(Phase phase, bool) {
    if (phase == Phase::Checks) return;
    if (phase == Phase::Download && guards_.interrupts != nullptr) guards_.interrupts->Release();
    guards_.system.KeepSystemAwake(false);
}

void TerminalFace::SystemProblem(const char* text) {
    // Said once: the failures that follow it have the same cause.
    if (systemProblemSaid_) return;
    systemProblemSaid_ = true;
    MessageText line("ktxflash: ");
    AppendDisplayText(line, text);
    PrintLine(line.c_str());
}

void CommandLog::CommandEnded(const CommandReport& report) {
    // Unsigned: right across the clock's wrap too.
    const std::uint32_t took = clock_.Milliseconds() - started_;
    MessageText line("  command ");
    AppendCommandBytes(report, line);
    line.Append(": ");
    AppendCommandOutcome(report, line);
    line.AppendFormat(" (%lu ms)", static_cast<unsigned long>(took));
    face_.PrintLine(line.c_str());
}

void WaitingNotice::CommandStarts(const CommandReport& report) {
    if (next_ != nullptr) next_->CommandStarts(report);
    if (timer_ == nullptr) return;
    purpose_.Assign("");
    AppendCommandPurpose(report, purpose_);
    timer_->Start(*this, kFirstWaitNoticeMs, kWaitNoticeEveryMs);
}

void WaitingNotice::CommandEnded(const CommandReport& report) {
    // Stopped first: nothing is printed from the timer's thread after this.
    if (timer_ != nullptr) timer_->Stop();
    if (next_ != nullptr) next_->CommandEnded(report);
}

void WaitingNotice::StillWaiting(std::uint32_t waitedMs) {
    MessageText line;
    line.Format("ktxflash: waiting for the drive to answer for %s (%lu s so far); the drive may take minutes: "
                "do not unplug it or turn it off.",
                purpose_.c_str(), static_cast<unsigned long>(waitedMs / 1000u));
    face_.PrintLine(line.c_str());
}

}  // namespace terminal
