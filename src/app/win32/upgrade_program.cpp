#include "app/win32/upgrade_program.h"

#include <new>

#include "app/firmware_upgrade_app.h"
#include "app/transport_factory.h"
#include "firmware/firmware_package.h"
#include "platform/buffer_allocator.h"
#include "platform/win32/win32_services.h"
#include "ui/dialog_port.h"
#include "ui/upgrade_dialog.h"
#include "ui/win32/win32_gui.h"

namespace {

// The product's main dialog for start-up: an UpgradeDialog over the
// program's dialog services, run modally by the Win32 dialog host, with the
// dialog's face of the firmware operations.
class ModalUpgradeDialog : public MainDialog {
public:
    ModalUpgradeDialog(const DialogServices& services, Win32Gui& gui, SystemServices& system)
        : dialog_(services), gui_(gui), port_(gui, system) {}

    FirmwareState& state() override { return dialog_.state; }
    OperationsPort& port() override { return port_; }
    // The modal result says nothing start-up needs: what matters is the
    // answer to the restart prompt, which the dialog keeps in
    // restartConfirmed (0 when the window could not be created at all).
    void DoModal(const FirmwareContext& context) override {
        dialog_.SetOperations(&context);
        RunDialogModal(dialog_, gui_);
        dialog_.SetOperations(nullptr);
    }
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

    std::unique_ptr<MainDialog> Create() override {
        return std::unique_ptr<MainDialog>(new (std::nothrow_t{}) ModalUpgradeDialog(services_, gui_, system_));
    }

private:
    DialogServices services_;
    Win32Gui& gui_;
    SystemServices& system_;
};

}  // namespace

int RunUpgradeProgram(platform::VolumeService& volumes) {
    // Objects of one scope are destroyed in the reverse order of their
    // construction: the services the application object uses are in place
    // before it and still there when its destructor runs the restart.
    platform::Win32SystemServices system;
    platform::Win32RestartService restart;
    platform::Win32MessageService messages;
    Win32Gui gui;
    platform::Win32AspiLibrary aspi;
    Win32FileService files;
    PageAlignedAllocator memory;
    const FirmwarePackage package = FirmwarePackage::Embedded();

    FirmwareUpgradeApp application(system, restart, messages);

    const DialogServices dialogServices{&gui, &package};
    ServiceTransportFactory transports(aspi, volumes);
    ModalUpgradeDialogFactory dialogs(dialogServices, gui, system);

    // Start-up always answers false: there is no message loop after it, and
    // the program ends with status 0 (after the restart, if agreed to).
    application.InitInstance(StartupServices{transports, dialogs, files, memory, package});
    return 0;
}
