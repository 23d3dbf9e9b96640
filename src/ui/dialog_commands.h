#pragma once
// The firmware commands as the dialog sees them: what its Upgrade (1010),
// Save (1009) and browse (1014) buttons run, on the dialog's state. The
// application provides them over its transport, services and package; the
// dialog only routes clicks to them.

#include "firmware/firmware_context.h"

class DialogCommands {
public:
    virtual ~DialogCommands() = default;
    virtual void Upgrade(FirmwareState& state) = 0;
    virtual void Save(FirmwareState& state) = 0;
    virtual void Browse(FirmwareState& state) = 0;
};
