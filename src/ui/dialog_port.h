#pragma once
// The dialog's face of the firmware operations: their reports mapped onto
// the dialog's controls (status line 1004, progress bar 1001) and their
// questions onto owner-less message boxes and the open-file dialog. While
// firmware is downloaded or read out the system is asked to stay awake,
// and the Upgrade button (1010) is disabled for the download, enabled again
// when it succeeded. A question's suggested answer is not shown (message
// boxes of this program have no default but their first button); a failed
// check is shown by its status text alone, and a problem the system
// reported is left to the status text that follows it.

#include "firmware/operations_port.h"
#include "platform/system_services.h"
#include "ui/dialog_window.h"

class DialogPort : public OperationsPort {
public:
    // `window` and `system` must outlive the port.
    DialogPort(DialogWindow& window, SystemServices& system) : window_(window), system_(system) {}

    void ShowStatus(const char* text) override;
    void ShowProgress(int percent) override;
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
