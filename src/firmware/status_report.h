#pragma once
// How an operation shows its status text: a problem the system reported
// (see ScsiTransport::DescribeSystemProblem) goes to the port first, so
// that a face can explain the failure instead of only naming it.

#include "firmware/firmware_context.h"

void ReportStatus(const FirmwareContext& context, const char* text);
