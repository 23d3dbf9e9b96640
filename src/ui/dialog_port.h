#pragma once
// The dialog's face of the firmware operations: their reports mapped onto
// the status line and the progress bar, their questions onto owner-less
// message boxes and the open-file dialog. While firmware is downloaded or
// read out the system is asked to stay awake, and Upgrade is disabled for
// the download, enabled again when it succeeded. A suggested answer is not
// shown (this program's boxes default to their first button); failed checks
// and system problems are left to the status text that follows them.

#include "firmware/operations_port.h"
#include "firmware/shared_texts.h"
#include "platform/system_services.h"
#include "ui/dialog_window.h"

class DialogPort : public OperationsPort {
public:
    // `window` and `system` must outlive the port.
    DialogPort(DialogWindow& window, SystemServices& system) : window_(window), system_(system) {}

    void ShowStatus(const char* text) override { window_.SetItemText(kStatusLine, text); }
    void ShowProgress(int percent) override { window_.ProgressSetPos(kProgressBar, percent); }
    void CheckEnded(UpgradeCheck, bool, const char*) override {}
    // Interruptions need no holding here: the dialog takes no command while
    // another runs (UpgradeDialog's re-entry guard).
    void PhaseBegins(Phase phase) override {
        if (phase == Phase::Checks) return;
        system_.KeepSystemAwake(true);
        if (phase == Phase::Download) window_.EnableItem(kUpgradeButton, false);
    }
    void PhaseEnds(Phase phase, bool succeeded) override {
        if (phase == Phase::Checks) return;
        if (phase == Phase::Download && succeeded) window_.EnableItem(kUpgradeButton, true);
        system_.KeepSystemAwake(false);
    }
    void BlockAttempted(Phase, int, int, bool) override {}
    void SystemProblem(const char*) override {}

    // Both upgrade confirmations: Yes and No with the warning icon (0x34);
    // the overwrite question has the platform's default caption and no icon.
    Answer Ask(Question question, const char* text, Answer) override {
        const int pressed = question == Question::OverwriteFile
                                ? window_.ShowMessage(text, nullptr, kMbYesNo)
                                : window_.ShowMessage(text, KTX_TEXT_WARNING_CAPTION, kMbYesNo | kMbIconWarning);
        if (pressed == kAnswerYes) return Answer::Yes;
        if (pressed == kAnswerNo) return Answer::No;
        return Answer::NoAnswer;
    }
    bool ChooseFile(const FileChoice& choice, ChosenFile& chosen) override {
        OpenFileRequest request;
        static_cast<FileChoice&>(request) = choice;
        request.flags = kOfnHideReadOnly;
        return window_.RunOpenFileDialog(request, chosen);
    }

private:
    DialogWindow& window_;
    SystemServices& system_;
};
