#pragma once
// The dialog window over USER32, COMCTL32 and COMDLG32, and the modal host
// that runs the UpgradeDialog in it. The control operations act on the
// bound dialog (unbound, they do nothing); message boxes, strings, the
// open-file dialog and the icon need no window.

#include <windows.h>

#include <commctrl.h>

#include "ui/dialog_window.h"

class UpgradeDialog;

class Win32Gui : public DialogWindow {
public:
    // Binds the control operations to `dialog`; null unbinds.
    void Bind(HWND dialog) { dialog_ = dialog; }
    HWND dialog() const { return dialog_; }

    void SetItemText(int id, const char* text) override { SetDlgItemTextA(dialog_, id, text); }
    void GetItemText(int id, TextBuffer& text) override {
        WindowText(dialog_ != nullptr ? GetDlgItem(dialog_, id) : nullptr, text);
    }
    void EnableItem(int id, bool enable) override {
        HWND item = dialog_ != nullptr ? GetDlgItem(dialog_, id) : nullptr;
        if (item != nullptr) EnableWindow(item, enable ? TRUE : FALSE);
    }
    void GetCaption(TextBuffer& caption) override { WindowText(dialog_, caption); }
    void SetCaption(const char* caption) override {
        if (dialog_ != nullptr) SetWindowTextA(dialog_, caption);
    }
    void ComboAddString(int id, const char* entry) override {
        if (dialog_ != nullptr) SendDlgItemMessageA(dialog_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    void ComboSetCurSel(int id, int index) override {
        if (dialog_ != nullptr) SendDlgItemMessageA(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    int ComboGetCurSel(int id) override {
        if (dialog_ == nullptr) return CB_ERR;
        return static_cast<int>(SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0));
    }
    void ProgressSetRange(int id, int low, int high) override {
        if (dialog_ != nullptr) SendDlgItemMessageA(dialog_, id, PBM_SETRANGE, 0, MAKELPARAM(low, high));
    }
    void ProgressSetPos(int id, int position) override {
        if (dialog_ != nullptr) SendDlgItemMessageA(dialog_, id, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    void SetWindowIcon(bool big, IconHandle icon) override {
        if (dialog_ != nullptr)
            SendMessageA(dialog_, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    void EndDialog(int result) override {
        if (dialog_ != nullptr) ::EndDialog(dialog_, result);
    }

    int ShowMessage(const char* text, const char* caption, unsigned style) override {
        return MessageBoxA(nullptr, text, caption, style);
    }
    int LoadText(unsigned id, char* buffer, int bufferSize) override {
        return LoadStringA(GetModuleHandleA(nullptr), id, buffer, bufferSize);
    }
    bool RunOpenFileDialog(const OpenFileRequest& request, ChosenFile& result) override;
    IconHandle LoadAppIcon(int resourceId) override {
        return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
    }

    bool IsIconic() override { return dialog_ != nullptr && ::IsIconic(dialog_); }
    PaintContext BeginPaint() override { return ::BeginPaint(dialog_, &paint_); }
    void EraseIconBackground(PaintContext dc) override {
        SendMessageA(dialog_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    }
    int IconWidth() override { return GetSystemMetrics(SM_CXICON); }
    int IconHeight() override { return GetSystemMetrics(SM_CYICON); }
    ClientRect GetClientRect() override {
        RECT rect{};
        ::GetClientRect(dialog_, &rect);
        return ClientRect{rect.left, rect.top, rect.right, rect.bottom};
    }
    void DrawIcon(PaintContext dc, int x, int y, IconHandle icon) override {
        ::DrawIcon(static_cast<HDC>(dc), x, y, static_cast<HICON>(icon));
    }
    void EndPaint(PaintContext) override { ::EndPaint(dialog_, &paint_); }

private:
    // Text of a window (none: empty), as much as `text` holds.
    static void WindowText(HWND window, TextBuffer& text) {
        text.Clear();
        if (window == nullptr) return;
        const int copied = GetWindowTextA(window, text.data(), static_cast<int>(text.capacity()));
        text.SetLengthWritten(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    }

    HWND dialog_ = nullptr;
    // The paint started by BeginPaint, ended by EndPaint.
    PAINTSTRUCT paint_{};
};

// Runs the dialog modally from template 102 of the program's own module,
// with no owner window, routing its messages to `dialog`; `gui` is bound to
// the window while it is open. Returns the value the dialog ended with, or
// -1 when it cannot be created (no template, a control class missing).
int RunDialogModal(UpgradeDialog& dialog, Win32Gui& gui);
