#pragma once
// The dialog's face of the firmware operations: their reports mapped onto
// the status line and the progress bar, their questions onto owner-less
// message boxes and the open-file dialog. While firmware is downloaded or
// read out the system is asked to stay awake, and Upgrade is disabled for
// the download, enabled again when it succeeded. A suggested answer is not
// shown (this program's boxes default to their first button); failed checks
// and system problems are left to the status text that follows them.

#include "firmware/operations_port.h"
#include "platform/system_services.h"
#include "ui/dialog_window.h"

class DialogPort : public OperationsPort {
public:
    // `window` and `system` must outlive the port.
    DialogPort(DialogWindow& window, SystemServices& system) : window_(window), system_(system) {}

    void ShowStatus(const char* text) override { window_.SetItemText(kStatusLine, text); }
    void ShowProgress(int percent) override { window_.ProgressSetPos(kProgressBar, percent); }
    void CheckEnded(UpgradeCheck, bool, const char*) override {}
    void PhaseBegins(Phase phase) override;
    void PhaseEnds(Phase phase, bool succeeded) override;
    void BlockAttempted(Phase, int, int, bool) override {}
    void SystemProblem(const char*) override {}

    Answer Ask(Question question, const char* text, Answer suggested) override;
    bool ChooseFile(const FileChoice& choice, ChosenFile& chosen) override;

private:
    DialogWindow& window_;
    SystemServices& system_;
};
