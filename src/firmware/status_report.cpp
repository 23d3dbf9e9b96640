#include "firmware/status_report.h"

void ReportStatus(const FirmwareContext& context, const char* text) {
    const CommandReport& last = context.transport.lastCommand();
    if (last.refused()) context.port.SystemProblem(last.refusal);
    context.port.ShowStatus(text);
}
