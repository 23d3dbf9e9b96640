#include "ui/dialog_port.h"

#include "firmware/shared_texts.h"

namespace {

// Both upgrade confirmations: Yes and No with the warning icon (0x34).
constexpr unsigned kConfirmationBoxStyle = kMbYesNo | kMbIconWarning;

int CommandButton(Command command) {
    switch (command) {
    case Command::Browse:
        return kBrowseButton;
    case Command::Upgrade:
        return kUpgradeButton;
    case Command::Exit:
        break;
    }
    return kExitButton;
}

}  // namespace

void DialogPort::ShowStatus(const char* text) { window_.SetItemText(kStatusLine, text); }

void DialogPort::ShowProgress(int percent) { window_.ProgressSetPos(kProgressBar, percent); }

void DialogPort::EnableCommand(Command command, bool enable) { window_.EnableItem(CommandButton(command), enable); }

void DialogPort::ShowFirmwareFile(const char* path) { window_.SetItemText(kPathField, path); }

int DialogPort::ChosenDrive() { return window_.ComboGetCurSel(kDeviceSelector); }

int DialogPort::LoadUpgradeWarning(char* buffer, int room) {
    return window_.LoadText(kConfirmationStringId, buffer, room);
}

Answer DialogPort::Ask(Question question, const char* text, Answer) {
    // The overwrite question has the platform's default caption and no icon.
    const int pressed = question == Question::OverwriteFile
                            ? window_.ShowMessage(text, nullptr, kMbYesNo)
                            : window_.ShowMessage(text, KTX_TEXT_WARNING_CAPTION, kConfirmationBoxStyle);
    if (pressed == kAnswerYes) return Answer::Yes;
    if (pressed == kAnswerNo) return Answer::No;
    return Answer::NoAnswer;
}

bool DialogPort::ChooseFile(const FileChoice& choice, ChosenFile& chosen) {
    OpenFileRequest request;
    request.defaultExtension = choice.defaultExtension;
    request.initialFileName = choice.initialFileName;
    request.flags = kOfnHideReadOnly;
    request.filter = choice.filter;
    request.initialDirectory = choice.initialDirectory;
    return window_.RunOpenFileDialog(request, chosen);
}

// Interruptions need no holding here: the dialog takes no command while
// another runs (UpgradeDialog's re-entry guard).
void DialogPort::DownloadBegins() { system_.KeepSystemAwake(true); }
void DialogPort::DownloadEnds() { system_.KeepSystemAwake(false); }
void DialogPort::ReadOutBegins() { system_.KeepSystemAwake(true); }
void DialogPort::ReadOutEnds() { system_.KeepSystemAwake(false); }

void DialogPort::SystemProblem(const char*) {}
