#include "firmware/status_report.h"

void ReportStatus(const FirmwareContext& context, const char* text) {
    MessageText problem;
    if (context.transport.DescribeSystemProblem(problem)) context.port.SystemProblem(problem.c_str());
    context.port.ShowStatus(text);
}
