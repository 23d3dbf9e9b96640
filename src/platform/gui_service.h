#pragma once
// What the firmware operations need from the user interface: the status
// line, the progress bar, the buttons and the drive selector by id, message
// boxes (questions) without an owner, string resources and the choice of a
// file. The dialog program implements it with its window (ui/dialog_window.h
// adds what only a window has); a terminal front-end implements it over its
// status line and questions; host tests use a recording fake. Every call
// takes effect at once, on the calling thread.

#include <cstdint>

#include "platform/fixed_text.h"
#include "platform/resource_ids.h"

// Control ids of the dialog template.
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

// Open-file dialog flag for "hide the read-only check box".
constexpr unsigned kOfnHideReadOnly = 0x4;

struct OpenFileRequest {
    const char* defaultExtension = "";  // "bin"
    const char* initialFileName = "";   // "*.bin"
    unsigned flags = 0;                 // OFN_* flags requested
    const char* filter = "";            // "Firmware File (bin)"
    // Null: the platform's choice.
    const char* initialDirectory = nullptr;
};

struct OpenFileResult {
    PathText fullPath;   // the chosen file's full path
    PathText extension;  // text after the last dot of the file name
};

class GuiService {
public:
    virtual ~GuiService() = default;

    virtual void SetItemText(int id, const char* text) = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    // The index of the drive selector's selected entry; negative when none is.
    virtual int ComboGetCurSel(int id) = 0;
    virtual void ProgressSetPos(int id, int position) = 0;

    // A message box with no owner window; a null caption takes the
    // platform's default. Returns the button pressed.
    virtual int ShowMessage(const char* text, const char* caption, unsigned style) = 0;
    // String resource `id` of the program's own module into `buffer` (room
    // for `bufferSize` characters, terminator included); returns the number
    // of characters copied, 0 when the string is missing.
    virtual int LoadText(unsigned id, char* buffer, int bufferSize) = 0;
    // Runs the modal open-file dialog; true when the user confirmed.
    virtual bool RunOpenFileDialog(const OpenFileRequest& request, OpenFileResult& result) = 0;
};
