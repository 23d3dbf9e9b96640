#pragma once
// The product's main dialog for start-up: an UpgradeDialog over the
// program's dialog services, run modally by the Win32 dialog host.

#include <memory>

#include "main_dialog.h"
#include "upgrade_dialog.h"

class Win32Gui;

// `gui` is the GUI of `services`, named as the Win32Gui it is.
class ModalUpgradeDialog : public MainDialog {
public:
    ModalUpgradeDialog(const DialogServices& services, Win32Gui& gui) : dialog_(services), gui_(gui) {}

    DeviceList& devices() override { return dialog_.devices; }
    void DoModal() override;
    std::int32_t restartConfirmed() const override { return dialog_.restartConfirmed; }

private:
    UpgradeDialog dialog_;
    Win32Gui& gui_;
};

class ModalUpgradeDialogFactory : public MainDialogFactory {
public:
    // `services` and `gui` (the GUI of `services`) must outlive every dialog made here.
    ModalUpgradeDialogFactory(const DialogServices& services, Win32Gui& gui) : services_(services), gui_(gui) {}

    std::unique_ptr<MainDialog> Create() override;

private:
    DialogServices services_;
    Win32Gui& gui_;
};
