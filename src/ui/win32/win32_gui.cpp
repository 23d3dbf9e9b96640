#include "ui/win32/win32_gui.h"

#include <commctrl.h>
#include <commdlg.h>

#include "ui/file_dialog_text.h"

namespace {

// Text of a window, as much as `text` holds.
void WindowText(HWND window, TextBuffer& text) {
    text.Clear();
    if (window == nullptr) return;
    const int copied = GetWindowTextA(window, text.data(), static_cast<int>(text.capacity()));
    text.SetLengthWritten(copied > 0 ? static_cast<std::size_t>(copied) : 0);
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
    if (dialog_ == nullptr) return;
    SendDlgItemMessageA(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32Gui::ComboGetCurSel(int id) {
    if (dialog_ == nullptr) return CB_ERR;
    return static_cast<int>(SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0));
}

void Win32Gui::ProgressSetRange(int id, int low, int high) {
    if (dialog_ == nullptr) return;
    SendDlgItemMessageA(dialog_, id, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void Win32Gui::ProgressSetPos(int id, int position) {
    if (dialog_ == nullptr) return;
    SendDlgItemMessageA(dialog_, id, PBM_SETPOS, static_cast<WPARAM>(position), 0);
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
