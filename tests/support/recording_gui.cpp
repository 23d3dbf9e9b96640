#include "recording_gui.h"


#include <algorithm>
#include <cstring>

void RecordingGui::SetItemText(int id, const char* text) {
    calls.push_back("SetItemText(" + std::to_string(id) + "," + text + ")");
    at(id).text = text;
}

void RecordingGui::GetItemText(int id, TextBuffer& text) {
    calls.push_back("GetItemText(" + std::to_string(id) + ")");
    text.Assign(at(id).text.c_str());
}

void RecordingGui::EnableItem(int id, bool enable) {
    calls.push_back("EnableItem(" + std::to_string(id) + "," + (enable ? "1" : "0") + ")");
    at(id).enabled = enable;
}

void RecordingGui::GetCaption(TextBuffer& text) {
    calls.push_back("GetCaption()");
    text.Assign(caption.c_str());
}

void RecordingGui::SetCaption(const char* text) {
    calls.push_back(std::string("SetCaption(") + text + ")");
    caption = text;
}

void RecordingGui::ComboAddString(int id, const char* entry) {
    calls.push_back("ComboAddString(" + std::to_string(id) + "," + entry + ")");
    at(id).entries.push_back(entry);
}

void RecordingGui::ComboSetCurSel(int id, int index) {
    calls.push_back("ComboSetCurSel(" + std::to_string(id) + "," + std::to_string(index) + ")");
    Control& c = at(id);
    c.curSel = (index >= 0 && index < static_cast<int>(c.entries.size())) ? index : -1;
}

int RecordingGui::ComboGetCurSel(int id) {
    calls.push_back("ComboGetCurSel(" + std::to_string(id) + ")");
    return at(id).curSel;
}

void RecordingGui::ProgressSetRange(int id, int low, int high) {
    calls.push_back("ProgressSetRange(" + std::to_string(id) + "," + std::to_string(low) + "," +
                    std::to_string(high) + ")");
    at(id).rangeLow = low;
    at(id).rangeHigh = high;
}

void RecordingGui::ProgressSetPos(int id, int position) {
    calls.push_back("ProgressSetPos(" + std::to_string(id) + "," + std::to_string(position) + ")");
    at(id).position = position;
    if (id == kProgressBar) progressHistory.push_back(position);
}

void RecordingGui::SetWindowIcon(bool big, IconHandle icon) {
    calls.push_back(std::string("SetWindowIcon(") + (big ? "big" : "small") + "," +
                    (icon == AppIcon() ? "app" : "other") + ")");
}

void RecordingGui::EndDialog(int result) {
    calls.push_back("EndDialog(" + std::to_string(result) + ")");
    endDialogResult = result;
    ended = true;
}

int RecordingGui::ShowMessage(const char* text, const char* boxCaption, unsigned style) {
    calls.push_back(std::string("ShowMessage(") + text + ")");
    ShownBox box{text, boxCaption != nullptr, boxCaption ? boxCaption : "", style};
    boxes.push_back(box);
    if (whileBoxOpen) whileBoxOpen(box);
    // Unscripted, a box answers as a user who goes on would: Yes to a
    // Yes/No box (MB_YESNO in the low bits of the style), OK to any other.
    if (boxAnswers.empty()) return (style & 0x0Fu) == 0x04u ? kAnswerYes : kAnswerOk;
    int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}

int RecordingGui::LoadText(unsigned id, char* buffer, int bufferSize) {
    calls.push_back("LoadText(" + std::to_string(id) + "," + std::to_string(bufferSize) + ")");
    auto it = strings.find(id);
    if (it == strings.end() || bufferSize <= 0) {
        if (bufferSize > 0) buffer[0] = '\0';
        return 0;
    }
    // LoadStringA copies at most bufferSize - 1 characters and terminates.
    const int n = std::min(static_cast<int>(it->second.size()), bufferSize - 1);
    std::memcpy(buffer, it->second.data(), static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
}

bool RecordingGui::RunOpenFileDialog(const OpenFileRequest& request, ::ChosenFile& result) {
    calls.push_back("RunOpenFileDialog()");
    fileDialogs.push_back({request.defaultExtension, request.initialFileName, request.filter, request.flags,
                           request.initialDirectory != nullptr,
                           request.initialDirectory != nullptr ? request.initialDirectory : ""});
    if (fileDialogConfirms) {
        result.fullPath.Assign(fileDialogResult.fullPath.c_str());
        result.extension.Assign(fileDialogResult.extension.c_str());
    }
    return fileDialogConfirms;
}

IconHandle RecordingGui::LoadAppIcon(int resourceId) {
    calls.push_back("LoadAppIcon(" + std::to_string(resourceId) + ")");
    return AppIcon();
}

bool RecordingGui::IsIconic() { return iconic; }

PaintContext RecordingGui::BeginPaint() {
    calls.push_back("BeginPaint()");
    return PaintDc();
}

void RecordingGui::EraseIconBackground(PaintContext dc) {
    calls.push_back(std::string("EraseIconBackground(") + (dc == PaintDc() ? "dc" : "?") + ")");
}

int RecordingGui::IconWidth() { return iconWidth; }
int RecordingGui::IconHeight() { return iconHeight; }
ClientRect RecordingGui::GetClientRect() { return clientRect; }

void RecordingGui::DrawIcon(PaintContext dc, int x, int y, IconHandle icon) {
    calls.push_back("DrawIcon(" + std::string(dc == PaintDc() ? "dc" : "?") + "," + std::to_string(x) + "," +
                    std::to_string(y) + "," + (icon == AppIcon() ? "app" : "other") + ")");
}

void RecordingGui::EndPaint(PaintContext dc) {
    calls.push_back(std::string("EndPaint(") + (dc == PaintDc() ? "dc" : "?") + ")");
}
