#include "ui/win32/win32_gui.h"

#include <commdlg.h>

#include "ui/upgrade_dialog.h"

namespace {

// What the dialog procedure works on, handed over with WM_INITDIALOG and
// kept in the window's user slot.
struct DialogBinding {
    UpgradeDialog* dialog;
    Win32Gui* gui;
};

// Registers the progress bar's window class. InitCommonControlsEx registers
// that class alone; the library of Windows 95 without later updates lacks
// it, and there InitCommonControls registers every class.
void RegisterProgressBarClass() {
    using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE library = GetModuleHandleA("comctl32.dll");
    FARPROC entry = library != nullptr ? GetProcAddress(library, "InitCommonControlsEx") : nullptr;
    if (entry != nullptr) {
        auto initEx = reinterpret_cast<InitCommonControlsExFunction>(reinterpret_cast<void (*)()>(entry));
        INITCOMMONCONTROLSEX classes;
        classes.dwSize = sizeof classes;
        classes.dwICC = ICC_PROGRESS_CLASS;
        if (initEx(&classes)) return;
    }
    InitCommonControls();
}

INT_PTR CALLBACK UpgradeDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* binding = reinterpret_cast<DialogBinding*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        binding->gui->Bind(window);
        // The controls exist: the first exchange fills them, then the
        // dialog's own initialisation runs. TRUE lets the system give the
        // focus to the first enabled tab stop.
        binding->dialog->DoDataExchange(true);
        return binding->dialog->OnInitDialog() ? TRUE : FALSE;
    }

    // Messages that come before WM_INITDIALOG find no binding yet.
    auto* binding = reinterpret_cast<DialogBinding*>(GetWindowLongPtrA(window, DWLP_USER));
    if (binding == nullptr) return FALSE;

    switch (message) {
        case WM_PAINT:
            return binding->dialog->OnPaint() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            // One of the messages whose result the dialog procedure returns directly.
            return reinterpret_cast<INT_PTR>(binding->dialog->OnQueryDragIcon());
        case WM_COMMAND:
            // Button clicks, and IDOK / IDCANCEL from Enter, Escape and the
            // close box, all carry notification code 0.
            if (HIWORD(wParam) != 0) return FALSE;
            return binding->dialog->OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool Win32Gui::RunOpenFileDialog(const OpenFileRequest& request, ChosenFile& result) {
    // The file name field starts with the initial name; the dialog writes
    // the chosen path into the same buffer.
    char file[MAX_PATH] = {};
    lstrcpynA(file, request.initialFileName, MAX_PATH);
    FixedText<256> filterList;
    FilterListFromText(request.filter, filterList);

    OPENFILENAMEA dialog;
    ZeroMemory(&dialog, sizeof dialog);
    // The record as Windows 95/98 and NT 4.0 know it; later systems accept
    // it as well, while they reject the longer one on the older systems.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = filterList.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = request.initialDirectory;
    dialog.lpstrDefExt = request.defaultExtension[0] == '\0' ? nullptr : request.defaultExtension;
    dialog.Flags = request.flags | OFN_EXPLORER;

    if (!GetOpenFileNameA(&dialog)) return false;
    result.fullPath.Assign(file);
    result.extension.Assign(FileNameExtension(result.fullPath.c_str()));
    return true;
}

int RunDialogModal(UpgradeDialog& dialog, Win32Gui& gui) {
    RegisterProgressBarClass();
    DialogBinding binding{&dialog, &gui};
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kDialogTemplateId), nullptr,
                        UpgradeDialogProcedure, reinterpret_cast<LPARAM>(&binding));
    // The window is gone: later control operations must not reach a handle
    // that the system may give to another window.
    gui.Bind(nullptr);
    return static_cast<int>(result);
}
