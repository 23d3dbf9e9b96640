#pragma once
// The product's main dialog for start-up: an UpgradeDialog over the
// program's dialog services, run modally by the Win32 dialog host, with the
// dialog's face of the firmware operations.

#include <memory>

#include "app/main_dialog.h"
#include "platform/system_services.h"
#include "ui/dialog_port.h"
#include "ui/upgrade_dialog.h"
#include "ui/win32/win32_gui.h"

class ModalUpgradeDialog : public MainDialog {
public:
    ModalUpgradeDialog(const DialogServices& services, Win32Gui& gui, SystemServices& system)
        : dialog_(services), gui_(gui), port_(gui, system) {}

    FirmwareState& state() override { return dialog_.state; }
    OperationsPort& port() override { return port_; }
    void DoModal(const FirmwareContext& context) override;
    std::int32_t restartConfirmed() const override { return dialog_.restartConfirmed; }

private:
    UpgradeDialog dialog_;
    Win32Gui& gui_;
    DialogPort port_;
};

class ModalUpgradeDialogFactory : public MainDialogFactory {
public:
    // `services`, `gui` (the window the services name) and `system` (which
    // keeps the PC awake during transfers) must outlive every dialog made here.
    ModalUpgradeDialogFactory(const DialogServices& services, Win32Gui& gui, SystemServices& system)
        : services_(services), gui_(gui), system_(system) {}

    std::unique_ptr<MainDialog> Create() override;

private:
    DialogServices services_;
    Win32Gui& gui_;
    SystemServices& system_;
};
