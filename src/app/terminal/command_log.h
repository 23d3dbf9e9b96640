#pragma once
// ktxflash -v: one line per command sent, with its bytes, direction,
// length, outcome and the time it took, printed through the terminal's
// face as it ends.

#include <cstdint>

#include "app/terminal/terminal_face.h"
#include "device/scsi_transport.h"
#include "platform/system_services.h"

namespace terminal {

class CommandLog : public CommandObserver {
public:
    // `clock` times each command; it must outlive the log.
    CommandLog(TerminalFace& face, SystemServices& clock) : face_(face), clock_(clock) {}
    void CommandStarts(const CommandReport& report) override;
    void CommandEnded(const CommandReport& report) override;

private:
    TerminalFace& face_;
    SystemServices& clock_;
    std::uint32_t started_ = 0;
};

}  // namespace terminal
