#pragma once
// The GUI service of the dialog program: what the firmware operations use,
// and what only the dialog's window has (caption, filling the selector and
// the progress range, icons, minimised painting, ending the modal loop).
// The product implements it over USER32/COMCTL32 (ui/win32); host tests use
// a recording fake.

#include "platform/gui_service.h"
#include "platform/resource_ids.h"

constexpr int kDialogTemplateId = KTX_IDD_UPGRADE_DIALOG;
constexpr int kAppIconId = KTX_IDI_APPLICATION;

// Opaque platform handles.
using IconHandle = void*;
using PaintContext = void*;

struct ClientRect {
    int left, top, right, bottom;
};

class DialogWindow : public GuiService {
public:
    virtual void GetItemText(int id, TextBuffer& text) = 0;
    virtual void GetCaption(TextBuffer& caption) = 0;
    virtual void SetCaption(const char* caption) = 0;
    virtual void ComboAddString(int id, const char* entry) = 0;
    virtual void ComboSetCurSel(int id, int index) = 0;
    virtual void ProgressSetRange(int id, int low, int high) = 0;
    // The window's big (title bar, task switcher) or small icon.
    virtual void SetWindowIcon(bool big, IconHandle icon) = 0;
    // Ends the modal loop with `result`.
    virtual void EndDialog(int result) = 0;
    virtual IconHandle LoadAppIcon(int resourceId) = 0;

    // Minimised-icon painting.
    virtual bool IsIconic() = 0;
    virtual PaintContext BeginPaint() = 0;
    virtual void EraseIconBackground(PaintContext dc) = 0;
    virtual int IconWidth() = 0;
    virtual int IconHeight() = 0;
    virtual ClientRect GetClientRect() = 0;
    virtual void DrawIcon(PaintContext dc, int x, int y, IconHandle icon) = 0;
    virtual void EndPaint(PaintContext dc) = 0;
};
