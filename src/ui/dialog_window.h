#pragma once
// The dialog program's window as its face sees it: the controls by id,
// message boxes without an owner, string resources, the open-file dialog,
// and what only a window has. The product implements it over
// USER32/COMCTL32/COMDLG32 (ui/win32); host tests use a recording fake.

#include "firmware/operations_port.h"
#include "platform/fixed_text.h"
#include "ui/resources/resources.h"

constexpr int kDialogTemplateId = KTX_IDD_UPGRADE_DIALOG;
constexpr int kAppIconId = KTX_IDI_APPLICATION;

enum ControlId : int {
    kIdOk = 1,
    kIdCancel = 2,
    kDeviceSelector = KTX_IDC_DEVICE_SELECTOR,
    kProgressBar = KTX_IDC_PROGRESS_BAR,
    kPathField = KTX_IDC_PATH_FIELD,
    kStatusLine = KTX_IDC_STATUS_LINE,
    kSaveButton = KTX_IDC_SAVE_BUTTON,
    kUpgradeButton = KTX_IDC_UPGRADE_BUTTON,
    kExitButton = KTX_IDC_EXIT_BUTTON,
    kBrowseButton = KTX_IDC_BROWSE_BUTTON,
};

constexpr unsigned kRestartPromptStringId = KTX_IDS_RESTART_PROMPT;
constexpr unsigned kConfirmationStringId = KTX_IDS_UPGRADE_CONFIRMATION;

// Message box styles and answers, with the platform's values.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// OFN_HIDEREADONLY.
constexpr unsigned kOfnHideReadOnly = 0x4;

// The operations' file choice, with the OFN_* flags requested.
struct OpenFileRequest : FileChoice {
    unsigned flags = 0;
};

// The open-file request and result in the forms the platform's dialog
// takes and gives (portable, so that the rules are tested on the host).
// The filter text with every '|' turned into a NUL, ending in two NULs:
// "Bin|*.bin||" becomes "Bin\0*.bin\0\0". A filter too long for `list` is
// cut, still ending in two NULs.
void FilterListFromText(const char* filterText, TextBuffer& list);

// The text after the last dot of the file name `path` ends in (a pointer
// into it); empty when the name has no dot.
const char* FileNameExtension(const char* path);

// Opaque platform handles.
using IconHandle = void*;
using PaintContext = void*;

struct ClientRect {
    int left, top, right, bottom;
};

class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    virtual void SetItemText(int id, const char* text) = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    // The index of the drive selector's selected entry; negative when none is.
    virtual int ComboGetCurSel(int id) = 0;
    virtual void ProgressSetPos(int id, int position) = 0;
    // A null caption takes the platform's default. Returns the button pressed.
    virtual int ShowMessage(const char* text, const char* caption, unsigned style) = 0;
    // String resource `id` into `buffer` (`bufferSize` with the terminator);
    // the number of characters copied, 0 when the string is missing.
    virtual int LoadText(unsigned id, char* buffer, int bufferSize) = 0;
    // Runs the modal open-file dialog; true when the user confirmed.
    virtual bool RunOpenFileDialog(const OpenFileRequest& request, ChosenFile& result) = 0;

    virtual void GetItemText(int id, TextBuffer& text) = 0;
    virtual void GetCaption(TextBuffer& caption) = 0;
    virtual void SetCaption(const char* caption) = 0;
    virtual void ComboAddString(int id, const char* entry) = 0;
    virtual void ComboSetCurSel(int id, int index) = 0;
    virtual void ProgressSetRange(int id, int low, int high) = 0;
    virtual void SetWindowIcon(bool big, IconHandle icon) = 0;
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
