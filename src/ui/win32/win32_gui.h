#pragma once
// The dialog window over USER32, COMCTL32 and COMDLG32, bound to the one
// dialog window. Message boxes, string resources, the open-file dialog and
// the application icon need no window and work unbound; the control
// operations act on the bound dialog (unbound, they do nothing). And the
// modal host that runs the UpgradeDialog in that window.

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

// Runs the program's dialog modally from template 102 of the program's own
// module, with no owner window, and routes its window messages to the
// UpgradeDialog.
// `gui` must be the window service the dialog works with: it is bound to the
// dialog window while the dialog is open. Returns the value the dialog
// ended with (IDOK from the exit handler), or -1 when the dialog cannot be
// created (the template is missing or a control class is not registered).
int RunDialogModal(UpgradeDialog& dialog, Win32Gui& gui);
