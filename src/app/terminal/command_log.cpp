#include "app/terminal/command_log.h"

#include "device/sense_text.h"

namespace terminal {

void CommandLog::CommandEnded(const CommandReport& report) {
    MessageText line;
    line.Assign("  command ");
    AppendCommandBytes(report, line);
    line.Append(": ");
    AppendCommandOutcome(report, line);
    face_.PrintLine(line.c_str());
}

}  // namespace terminal
