#pragma once
// How an operation shows its status text: a refusal of the system in the
// last request's report (see CommandReport::refusal) goes to the port
// first, so that a face can explain the failure instead of only naming it.

#include "firmware/firmware_context.h"

void ReportStatus(const FirmwareContext& context, const char* text);
