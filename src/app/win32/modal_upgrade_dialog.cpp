#include "app/win32/modal_upgrade_dialog.h"

#include <new>

#include "ui/win32/dialog_host.h"

// The modal result says nothing start-up needs: what matters is the answer
// to the restart prompt, which the dialog keeps in restartConfirmed (0 when
// the window could not be created at all).
void ModalUpgradeDialog::DoModal(const FirmwareContext& context) {
    dialog_.SetOperations(&context);
    RunDialogModal(dialog_, gui_);
    dialog_.SetOperations(nullptr);
}

std::unique_ptr<MainDialog> ModalUpgradeDialogFactory::Create() {
    return std::unique_ptr<MainDialog>(new (std::nothrow_t{}) ModalUpgradeDialog(services_, gui_, system_));
}
