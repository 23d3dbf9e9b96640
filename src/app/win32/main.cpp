// The program's entry point. The one application object is a program-wide
// object: it is constructed before WinMain (reading the operating-system
// version) and destroyed at process exit, when it restarts the PC if the
// user agreed to that. WinMain wires the Win32 services and runs start-up,
// which is the whole run of the program. The command line is ignored.

// <windows.h> first: it renames some interface members (MessageBox,
// GetVersionEx, ...) to their ANSI forms, and every declaration in this
// file must see the same names.
#include <windows.h>

#include "aspi_library_win32.h"
#include "file_service_win32.h"
#include "firmware_package.h"
#include "firmware_upgrade_app.h"
#include "modal_upgrade_dialog.h"
#include "page_aligned_allocator.h"
#include "program_volume_service.h"
#include "service_transport_factory.h"
#include "system_services_win32.h"
#include "upgrade_dialog.h"
#include "win32_gui.h"

namespace {

// The services the application object uses from its construction to its
// destruction. Objects of one file are constructed in the order they are
// defined and destroyed in the reverse order, so these are in place before
// it and still there when its destructor runs. The version record it fills
// is a constant-initialised global, zero before any constructor runs.
platform::Win32SystemServices g_systemServices;
Win32Gui g_gui;

FirmwareUpgradeApp g_application(g_systemServices, g_gui);

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::Win32AspiLibrary aspi;
    Win32FileService files;
    PageAlignedAllocator memory;
    const FirmwarePackage package = FirmwarePackage::Embedded();

    DialogServices dialogServices;
    dialogServices.gui = &g_gui;
    dialogServices.system = &g_systemServices;
    dialogServices.files = &files;
    dialogServices.memory = &memory;
    dialogServices.package = &package;

    ServiceTransportFactory transports(aspi, ProgramVolumeService());
    ModalUpgradeDialogFactory dialogs(dialogServices, g_gui);

    // Start-up always answers false: there is no message loop after it, and
    // the program ends with status 0.
    g_application.InitInstance(StartupServices{transports, dialogs, package});
    return 0;
}
