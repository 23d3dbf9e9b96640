#pragma once
// The main dialog as start-up sees it: built before the transport, filled
// with the drives found, run modally when there is at least one, and
// destroyed before start-up returns. The product wraps UpgradeDialog and the
// Win32 dialog host; tests record what start-up does with it.

#include <cstdint>
#include <memory>

#include "firmware/firmware_context.h"

class MainDialog {
public:
    virtual ~MainDialog() = default;
    // The state the dialog shows and its commands work on; start-up fills
    // its device list.
    virtual FirmwareState& state() = 0;
    // The dialog's face of the firmware operations: the port of the context
    // DoModal is given.
    virtual OperationsPort& port() = 0;
    // Runs the dialog modally until the user leaves it; its buttons run the
    // firmware operations on `context`.
    virtual void DoModal(const FirmwareContext& context) = 0;
    // 1 when the user agreed to restart the PC on leaving the dialog; 0
    // otherwise, and 0 when the dialog could not be shown at all.
    virtual std::int32_t restartConfirmed() const = 0;
};

class MainDialogFactory {
public:
    virtual ~MainDialogFactory() = default;
    // A new dialog with an empty device list (no window exists yet).
    virtual std::unique_ptr<MainDialog> Create() = 0;
};
