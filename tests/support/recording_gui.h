#pragma once
// The dialog window, and the message service of start-up, for host tests:
// keeps the state of every control, records each call in order, and
// answers message boxes, string loads and the open-file dialog from a
// script. A message of the message service is a box with style kMbOk.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/message_service.h"
#include "ui/dialog_window.h"

class RecordingGui : public DialogWindow, public MessageService {
public:
    struct Control {
        std::string text;
        bool enabled = true;
        std::vector<std::string> entries;  // combo box
        int curSel = -1;                   // combo box
        int rangeLow = 0, rangeHigh = 100;  // progress bar
        int position = 0;                   // progress bar
    };
    struct ShownBox {
        std::string text;
        bool hasCaption;
        std::string caption;
        unsigned style;
    };

    // Control state, by id.
    std::map<int, Control> controls;
    std::string caption = "Tavrine KTX7724R05 Upgrade to P1.3 Tool";
    // Every call, as "Name(args)", in order.
    std::vector<std::string> calls;

    // Message boxes shown, and the answers to give (when empty: kAnswerYes to
    // a Yes/No box, kAnswerOk to any other).
    std::vector<ShownBox> boxes;
    std::deque<int> boxAnswers;
    // Called while a box is "open", before it returns: a test can click
    // other buttons here as a user would while the box has no owner.
    std::function<void(const ShownBox&)> whileBoxOpen;

    // String resources; a missing id loads as 0 characters.
    std::map<unsigned, std::string> strings;

    // The open-file dialog: copies of the requests seen (their texts live
    // only during the call) and the scripted outcome.
    struct SeenFileRequest {
        std::string defaultExtension, initialFileName, filter;
        unsigned flags;
        bool hasInitialDirectory;
        std::string initialDirectory;
    };
    struct ChosenFile {
        std::string fullPath, extension;
    };
    std::vector<SeenFileRequest> fileDialogs;
    bool fileDialogConfirms = false;
    ChosenFile fileDialogResult;

    // Painting.
    bool iconic = false;
    int iconWidth = 32, iconHeight = 32;
    ClientRect clientRect{0, 0, 100, 100};

    // Progress positions in the order they were set.
    std::vector<int> progressHistory;
    int endDialogResult = 0;
    bool ended = false;

    Control& at(int id) { return controls[id]; }
    bool enabled(int id) { return at(id).enabled; }
    const std::string& text(int id) { return at(id).text; }

    void SetItemText(int id, const char* text) override;
    void GetItemText(int id, TextBuffer& text) override;
    void EnableItem(int id, bool enable) override;
    void GetCaption(TextBuffer& text) override;
    void SetCaption(const char* text) override;
    void ComboAddString(int id, const char* entry) override;
    void ComboSetCurSel(int id, int index) override;
    int ComboGetCurSel(int id) override;
    void ProgressSetRange(int id, int low, int high) override;
    void ProgressSetPos(int id, int position) override;
    void SetWindowIcon(bool big, IconHandle icon) override;
    void EndDialog(int result) override;
    int ShowMessage(const char* text, const char* caption, unsigned style) override;
    void ShowMessage(const char* text, const char* caption) override { ShowMessage(text, caption, kMbOk); }
    int LoadText(unsigned id, char* buffer, int bufferSize) override;
    bool RunOpenFileDialog(const OpenFileRequest& request, ::ChosenFile& result) override;
    IconHandle LoadAppIcon(int resourceId) override;
    bool IsIconic() override;
    PaintContext BeginPaint() override;
    void EraseIconBackground(PaintContext dc) override;
    int IconWidth() override;
    int IconHeight() override;
    ClientRect GetClientRect() override;
    void DrawIcon(PaintContext dc, int x, int y, IconHandle icon) override;
    void EndPaint(PaintContext dc) override;

    // Handles that the fake hands out.
    static IconHandle AppIcon() { return reinterpret_cast<IconHandle>(0x154); }
    static PaintContext PaintDc() { return reinterpret_cast<PaintContext>(0xDC); }
};
