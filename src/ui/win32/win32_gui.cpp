#include "ui/win32/win32_gui.h"

#include <commctrl.h>
#include <commdlg.h>

#include "ui/dialog_window.h"
#include "ui/upgrade_dialog.h"

namespace {

// Text of a window, as much as `text` holds.
void WindowText(HWND window, TextBuffer& text) {
    text.Clear();
    if (window == nullptr) return;
    const int copied = GetWindowTextA(window, text.data(), static_cast<int>(text.capacity()));
    text.SetLengthWritten(copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

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
        case WM_CHAR:
            return FALSE;
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

void Win32Gui::SetItemText(int id, const char* text) { SetDlgItemTextA(dialog_, id, text); }

void Win32Gui::GetItemText(int id, TextBuffer& text) {
    if (dialog_ == nullptr) {
        text.Clear();
        return;
    }
    WindowText(GetDlgItem(dialog_, id), text);
}

void Win32Gui::EnableItem(int id, bool enable) {
    if (dialog_ == nullptr) return;
    HWND item = GetDlgItem(dialog_, id);
    if (item != nullptr) EnableWindow(item, enable ? TRUE : FALSE);
}

void Win32Gui::GetCaption(TextBuffer& caption) { WindowText(dialog_, caption); }

void Win32Gui::SetCaption(const char* caption) {
    if (dialog_ != nullptr) SetWindowTextA(dialog_, caption);
}

void Win32Gui::ComboAddString(int id, const char* entry) {
    if (dialog_ == nullptr) return;
    SendDlgItemMessageA(dialog_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
}

void Win32Gui::ComboSetCurSel(int id, int index) {
    if (dialog_ != nullptr) SendDlgItemMessageA(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32Gui::ComboGetCurSel(int id) {
    if (dialog_ == nullptr) return CB_ERR;
    return static_cast<int>(SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0));
}

void Win32Gui::ProgressSetRange(int id, int low, int high) {
    if (dialog_ != nullptr) SendDlgItemMessageA(dialog_, id, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void Win32Gui::ProgressSetPos(int id, int position) {
    if (dialog_ != nullptr) SendDlgItemMessageA(dialog_, id, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32Gui::SetWindowIcon(bool big, IconHandle icon) {
    if (dialog_ == nullptr) return;
    SendMessageA(dialog_, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void Win32Gui::EndDialog(int result) {
    if (dialog_ != nullptr) ::EndDialog(dialog_, result);
}

int Win32Gui::ShowMessage(const char* text, const char* caption, unsigned style) {
    return MessageBoxA(nullptr, text, caption, style);
}

int Win32Gui::LoadText(unsigned id, char* buffer, int bufferSize) {
    return LoadStringA(GetModuleHandleA(nullptr), id, buffer, bufferSize);
}

bool Win32Gui::RunOpenFileDialog(const OpenFileRequest& request, OpenFileResult& result) {
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

IconHandle Win32Gui::LoadAppIcon(int resourceId) {
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
}

bool Win32Gui::IsIconic() { return dialog_ != nullptr && ::IsIconic(dialog_); }

PaintContext Win32Gui::BeginPaint() { return ::BeginPaint(dialog_, &paint_); }

void Win32Gui::EraseIconBackground(PaintContext dc) {
    SendMessageA(dialog_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
}

int Win32Gui::IconWidth() { return GetSystemMetrics(SM_CXICON); }
int Win32Gui::IconHeight() { return GetSystemMetrics(SM_CYICON); }

ClientRect Win32Gui::GetClientRect() {
    RECT rect{};
    ::GetClientRect(dialog_, &rect);
    return ClientRect{rect.left, rect.top, rect.right, rect.bottom};
}

void Win32Gui::DrawIcon(PaintContext dc, int x, int y, IconHandle icon) {
    ::DrawIcon(static_cast<HDC>(dc), x, y, static_cast<HICON>(icon));
}

void Win32Gui::EndPaint(PaintContext) { ::EndPaint(dialog_, &paint_); }

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
