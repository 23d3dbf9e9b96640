#pragma once
// The product's main dialog for start-up: an UpgradeDialog over the
// program's dialog services, run modally by the Win32 dialog host.

#include <memory>

#include "main_dialog.h"
#include "upgrade_dialog.h"

class ModalUpgradeDialog : public MainDialog {
public:
    explicit ModalUpgradeDialog(const DialogServices& services) : dialog_(services) {}

    DeviceList& devices() override { return dialog_.devices; }
    void DoModal() override;
    std::int32_t restartConfirmed() const override { return dialog_.restartConfirmed; }

private:
    UpgradeDialog dialog_;
};

class ModalUpgradeDialogFactory : public MainDialogFactory {
public:
    // `services` must outlive every dialog made here.
    explicit ModalUpgradeDialogFactory(const DialogServices& services) : services_(services) {}

    std::unique_ptr<MainDialog> Create() override;

private:
    DialogServices services_;
};
