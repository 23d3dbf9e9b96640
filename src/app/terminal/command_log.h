#pragma once
// ktxflash -v: one line per command sent, with its bytes, direction,
// length and outcome, printed through the terminal's face as it ends.

#include "app/terminal/terminal_face.h"
#include "device/command_report.h"

namespace terminal {

class CommandLog : public CommandObserver {
public:
    explicit CommandLog(TerminalFace& face) : face_(face) {}
    void CommandEnded(const CommandReport& report) override;

private:
    TerminalFace& face_;
};

}  // namespace terminal
