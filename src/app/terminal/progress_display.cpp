#include "app/terminal/progress_display.h"

#include <cstring>

#include "platform/fixed_text.h"

namespace terminal {
namespace {

int Clamped(int percent) { return percent < 0 ? 0 : percent > 100 ? 100 : percent; }

// `text` into the caller's `out` of `size` bytes, cut to fit and terminated.
void CopyCut(const TextBuffer& text, char* out, std::size_t size) {
    if (size == 0) return;
    const std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(out, text.c_str(), length);
    out[length] = '\0';
}

}  // namespace

void FormatProgressBar(int percent, char* out, std::size_t size) {
    const int value = Clamped(percent);
    char bar[kProgressBarWidth + 1];
    const int filled = value * kProgressBarWidth / 100;
    for (int i = 0; i < kProgressBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kProgressBarWidth] = '\0';
    FixedText<kProgressBarWidth + 16> text;
    text.Format("\r[%s] %3d%%", bar, value);
    CopyCut(text, out, size);
}

void FormatProgressLine(int percent, char* out, std::size_t size) {
    FixedText<32> text;
    text.Format("Progress: %d%%\n", Clamped(percent));
    CopyCut(text, out, size);
}

void ProgressDisplay::Show(int percent) {
    const int value = Clamped(percent);
    // Never backwards within one transfer (the download's last block reports
    // 75 before its 100).
    if (value < shown_) return;
    if (value == shown_ && (barOpen_ || !isTerminal_)) return;
    char text[kProgressBarWidth + 16];
    if (isTerminal_) {
        FormatProgressBar(value, text, sizeof text);
        barOpen_ = true;
    } else {
        FormatProgressLine(value, text, sizeof text);
    }
    std::fputs(text, out_);
    std::fflush(out_);
    shown_ = value;
}

void ProgressDisplay::Restart() {
    EndLine();
    shown_ = -1;
}

void ProgressDisplay::EndLine() {
    if (!barOpen_) return;
    std::fputs("\n", out_);
    std::fflush(out_);
    barOpen_ = false;
}

}  // namespace terminal
