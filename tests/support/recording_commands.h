#pragma once
// The DialogCommands for host tests of the dialog: records which command
// ran on which state, and can act while "running" as a user would while a
// command waits in a message box.

#include <functional>
#include <string>
#include <vector>

#include "ui/dialog_commands.h"

class RecordingCommands : public DialogCommands {
public:
    struct Call {
        std::string command;  // "upgrade", "save" or "browse"
        FirmwareState* state;
    };

    std::vector<Call> calls;
    // Runs inside each command, after it is recorded.
    std::function<void(FirmwareState&)> whileRunning;

    void Upgrade(FirmwareState& state) override { Record("upgrade", state); }
    void Save(FirmwareState& state) override { Record("save", state); }
    void Browse(FirmwareState& state) override { Record("browse", state); }

private:
    void Record(const char* command, FirmwareState& state) {
        calls.push_back({command, &state});
        if (whileRunning) whileRunning(state);
    }
};
