#pragma once
// The download's progress on the terminal: a bar redrawn in place when the
// output is a terminal, plain lines (one per new value) when it is a file
// or a pipe, so that logs stay readable.

#include <cstddef>
#include <cstdio>

namespace terminal {

// Characters between the brackets of the bar.
constexpr int kProgressBarWidth = 40;

// "\r[#####.....]  12%" for `percent` (clamped to 0..100).
void FormatProgressBar(int percent, char* out, std::size_t size);
// "Progress: 12%\n" for `percent` (clamped to 0..100).
void FormatProgressLine(int percent, char* out, std::size_t size);

class ProgressDisplay {
public:
    ProgressDisplay(std::FILE* out, bool isTerminal) : out_(out), isTerminal_(isTerminal) {}

    // Shows `percent` (0..100) when it is more than what is shown: the
    // progress of one transfer never goes back.
    void Show(int percent);
    // A new transfer: ends the bar's line; the next Show starts from 0.
    void Restart();
    // Ends the bar's line, so that the next text starts on a line of its
    // own; the next Show starts a new bar. Does nothing for plain lines.
    void EndLine();

private:
    std::FILE* out_;
    bool isTerminal_;
    int shown_ = -1;
    bool barOpen_ = false;
};

}  // namespace terminal
