#include "app/win32/upgrade_program.h"

#include <new>

#include "app/firmware_upgrade_app.h"
#include "app/transport_factory.h"
#include "app/win32/modal_upgrade_dialog.h"
#include "firmware/firmware_package.h"
#include "platform/page_aligned_allocator.h"
#include "platform/win32/aspi_library_win32.h"
#include "platform/win32/file_service_win32.h"
#include "platform/win32/message_service_win32.h"
#include "platform/win32/restart_service_win32.h"
#include "platform/win32/system_services_win32.h"
#include "ui/win32/win32_gui.h"

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

    DialogServices dialogServices;
    dialogServices.gui = &gui;
    dialogServices.package = &package;
    ServiceTransportFactory transports(aspi, volumes);
    ModalUpgradeDialogFactory dialogs(dialogServices, gui, system);

    // Start-up always answers false: there is no message loop after it, and
    // the program ends with status 0 (after the restart, if agreed to).
    application.InitInstance(StartupServices{transports, dialogs, files, memory, package});
    return 0;
}
