#pragma once
// The product's main dialog for start-up: an UpgradeDialog over the
// program's dialog services, run modally by the Win32 dialog host.

#include <memory>

#include "app/main_dialog.h"
#include "ui/upgrade_dialog.h"
#include "ui/win32/win32_gui.h"

class ModalUpgradeDialog : public MainDialog {
public:
    ModalUpgradeDialog(const DialogServices& services, Win32Gui& gui) : dialog_(services), gui_(gui) {}

    FirmwareState& state() override { return dialog_.state; }
    void DoModal(DialogCommands& commands) override;
    std::int32_t restartConfirmed() const override { return dialog_.restartConfirmed; }

private:
    UpgradeDialog dialog_;
    Win32Gui& gui_;
};

class ModalUpgradeDialogFactory : public MainDialogFactory {
public:
    // `services` and `gui` (the GUI service the services name) must outlive
    // every dialog made here.
    ModalUpgradeDialogFactory(const DialogServices& services, Win32Gui& gui) : services_(services), gui_(gui) {}

    std::unique_ptr<MainDialog> Create() override;

private:
    DialogServices services_;
    Win32Gui& gui_;
};
