#include "app/terminal/command_log.h"

#include "device/command_report_text.h"

namespace terminal {

void CommandLog::CommandStarts(const CommandReport&) { started_ = clock_.Milliseconds(); }

void CommandLog::CommandEnded(const CommandReport& report) {
    // Unsigned: right across the clock's wrap too.
    const std::uint32_t took = clock_.Milliseconds() - started_;
    MessageText line;
    line.Assign("  command ");
    AppendCommandBytes(report, line);
    line.Append(": ");
    AppendCommandOutcome(report, line);
    line.AppendFormat(" (%lu ms)", static_cast<unsigned long>(took));
    face_.PrintLine(line.c_str());
}

}  // namespace terminal
