#pragma once
// What the dialog and the firmware operations need from the GUI platform:
// the controls of the one dialog by id, message boxes without an owner,
// string resources, the open-file dialog and icon painting. The product
// implements it over USER32/COMCTL32; host tests use a recording fake.
// Every call takes effect at once, on the calling thread.

#include <cstdint>
#include <string>

// <windows.h> maps MessageBox and LoadString to their ANSI or wide forms by
// macro, which would rename the contract's operations of those names in a
// Win32 translation unit. The program calls the ANSI functions by their
// full names, so the macros are not needed where this contract is seen
// (include <windows.h> first).
#ifdef MessageBox
#undef MessageBox
#endif
#ifdef LoadString
#undef LoadString
#endif

// Control ids of the dialog template.
enum ControlId : int {
    kIdOk = 1,
    kIdCancel = 2,
    kDeviceSelector = 1000,
    kProgressBar = 1001,
    kPathField = 1002,
    kStatusLine = 1004,
    kSaveButton = 1009,
    kUpgradeButton = 1010,
    kExitButton = 1011,
    kBrowseButton = 1014,
};

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

// Open-file dialog flag for "hide the read-only check box".
constexpr unsigned kOfnHideReadOnly = 0x4;

// Opaque platform handles.
using IconHandle = void*;
using PaintContext = void*;

struct ClientRect {
    int left, top, right, bottom;
};

struct OpenFileRequest {
    std::string defaultExtension;  // "bin"
    std::string initialFileName;   // "*.bin"
    unsigned flags = 0;            // OFN_* flags requested
    std::string filter;            // "Firmware File (bin)"
    bool hasInitialDirectory = false;
    std::string initialDirectory;
};

struct OpenFileResult {
    std::string fullPath;   // the chosen file's full path
    std::string extension;  // text after the last dot of the file name
};

class GuiContract {
public:
    virtual ~GuiContract() = default;

    // Controls by id.
    virtual void SetItemText(int id, const std::string& text) = 0;
    virtual std::string GetItemText(int id) = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    virtual std::string GetCaption() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void ComboAddString(int id, const std::string& entry) = 0;
    virtual void ComboSetCurSel(int id, int index) = 0;
    virtual int ComboGetCurSel(int id) = 0;
    virtual void ProgressSetRange(int id, int low, int high) = 0;
    virtual void ProgressSetPos(int id, int position) = 0;
    // WM_SETICON: big (first parameter 1) or small (0).
    virtual void SetWindowIcon(bool big, IconHandle icon) = 0;
    // Ends the modal loop with `result`.
    virtual void EndDialog(int result) = 0;

    // Platform services.
    // A message box with no owner window; a null caption takes the
    // platform's default. Returns the button pressed.
    virtual int MessageBox(const std::string& text, const char* caption, unsigned style) = 0;
    // LoadStringA from the program's own module; returns the number of
    // characters copied, 0 when the string is missing.
    virtual int LoadString(unsigned id, char* buffer, int bufferSize) = 0;
    // Runs the modal open-file dialog; true when the user confirmed.
    virtual bool RunOpenFileDialog(const OpenFileRequest& request, OpenFileResult& result) = 0;
    virtual IconHandle LoadAppIcon(int resourceId) = 0;

    // Minimised-icon painting.
    virtual bool IsIconic() = 0;
    virtual PaintContext BeginPaint() = 0;
    virtual void EraseIconBackground(PaintContext dc) = 0;  // WM_ICONERASEBKGND
    virtual int IconWidth() = 0;   // SM_CXICON
    virtual int IconHeight() = 0;  // SM_CYICON
    virtual ClientRect GetClientRect() = 0;
    virtual void DrawIcon(PaintContext dc, int x, int y, IconHandle icon) = 0;
    virtual void EndPaint(PaintContext dc) = 0;
};
