#pragma once
// Test doubles of the three firmware commands (firmware_commands.h), linked
// into the dialog's test programs in place of the firmware operations: they
// record which command ran on which dialog, and can act while "running" as
// a user would while a command waits in a message box.

#include <functional>
#include <string>
#include <vector>

class UpgradeDialog;

struct FirmwareCommandCall {
    std::string command;  // "upgrade", "save" or "browse"
    UpgradeDialog* dialog;
};

struct FirmwareCommandLog {
    std::vector<FirmwareCommandCall> calls;
    // Runs inside each command, after it is recorded.
    std::function<void(UpgradeDialog&)> whileRunning;
};

// The log the doubles write to; reset by each test.
FirmwareCommandLog& FirmwareCommands();
