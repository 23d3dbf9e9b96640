#pragma once
// The dialog window over USER32, COMCTL32 and COMDLG32, and the modal host
// that runs the UpgradeDialog in it. The control operations act on the
// bound dialog (unbound, they do nothing); message boxes, strings, the
// open-file dialog and the icon need no window.

#include <windows.h>

#include "ui/dialog_window.h"

class UpgradeDialog;

class Win32Gui : public DialogWindow {
public:
    // Binds the control operations to `dialog`; null unbinds.
    void Bind(HWND dialog) { dialog_ = dialog; }
    HWND dialog() const { return dialog_; }

    void SetItemText(int id, const char* text) override;
    void GetItemText(int id, TextBuffer& text) override;
    void EnableItem(int id, bool enable) override;
    void GetCaption(TextBuffer& caption) override;
    void SetCaption(const char* caption) override;
    void ComboAddString(int id, const char* entry) override;
    void ComboSetCurSel(int id, int index) override;
    int ComboGetCurSel(int id) override;
    void ProgressSetRange(int id, int low, int high) override;
    void ProgressSetPos(int id, int position) override;
    void SetWindowIcon(bool big, IconHandle icon) override;
    void EndDialog(int result) override;

    int ShowMessage(const char* text, const char* caption, unsigned style) override;
    int LoadText(unsigned id, char* buffer, int bufferSize) override;
    bool RunOpenFileDialog(const OpenFileRequest& request, OpenFileResult& result) override;
    IconHandle LoadAppIcon(int resourceId) override;

    bool IsIconic() override;
    PaintContext BeginPaint() override;
    void EraseIconBackground(PaintContext dc) override;
    int IconWidth() override;
    int IconHeight() override;
    ClientRect GetClientRect() override;
    void DrawIcon(PaintContext dc, int x, int y, IconHandle icon) override;
    void EndPaint(PaintContext dc) override;

private:
    HWND dialog_ = nullptr;
    // The paint started by BeginPaint, ended by EndPaint.
    PAINTSTRUCT paint_{};
};

// Runs the dialog modally from template 102 of the program's own module,
// with no owner window, routing its messages to `dialog`; `gui` is bound to
// the window while it is open. Returns the value the dialog ended with, or
// -1 when it cannot be created (no template, a control class missing).
int RunDialogModal(UpgradeDialog& dialog, Win32Gui& gui);
