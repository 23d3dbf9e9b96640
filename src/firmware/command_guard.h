#pragma once
// Keeps the dialog's firmware commands from being entered again while one
// is running. Message boxes and the open-file dialog have no owner window,
// so the dialog still takes clicks while they are open; a second Upgrade or
// Save started then would take the working buffers and the device from
// under the first. A command holds a guard for its whole run and does
// nothing when the guard says another command of the same dialog runs.
// One GUI thread: no lock.

class UpgradeDialog;

class CommandGuard {
public:
    explicit CommandGuard(const UpgradeDialog& dialog);
    ~CommandGuard();
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

    // False when another command of this dialog was already running; the
    // caller must then return without doing anything.
    bool acquired() const { return acquired_; }

private:
    const UpgradeDialog& dialog_;
    bool acquired_;
};
