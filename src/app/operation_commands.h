#pragma once
// The dialog's commands over the firmware operations: the application makes
// one for the run, with the context it owns (transport, services, package,
// mask), and hands it to the dialog.

#include "firmware/firmware_context.h"
#include "ui/dialog_commands.h"

class OperationCommands : public DialogCommands {
public:
    // `context` must outlive the object.
    explicit OperationCommands(const FirmwareContext& context) : context_(context) {}

    void Upgrade(FirmwareState& state) override;
    void Save(FirmwareState& state) override;
    void Browse(FirmwareState& state) override;

private:
    const FirmwareContext& context_;
};
