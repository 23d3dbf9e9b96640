#include "ui/dialog_port.h"

#include "firmware/shared_texts.h"

// Both upgrade confirmations: Yes and No with the warning icon (0x34).
constexpr unsigned kConfirmationBoxStyle = kMbYesNo | kMbIconWarning;

// Interruptions need no holding here: the dialog takes no command while
// another runs (UpgradeDialog's re-entry guard).
void DialogPort::PhaseBegins(Phase phase) {
    if (phase == Phase::Checks) return;
    system_.KeepSystemAwake(true);
    if (phase == Phase::Download) window_.EnableItem(kUpgradeButton, false);
}

void DialogPort::PhaseEnds(Phase phase, bool succeeded) {
    if (phase == Phase::Checks) return;
    if (phase == Phase::Download && succeeded) window_.EnableItem(kUpgradeButton, true);
    system_.KeepSystemAwake(false);
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
    static_cast<FileChoice&>(request) = choice;
    request.flags = kOfnHideReadOnly;
    return window_.RunOpenFileDialog(request, chosen);
}
