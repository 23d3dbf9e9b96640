#pragma once
// The dialog's face of the firmware operations: their port mapped onto the
// dialog's controls (status line 1004, progress bar 1001, path field 1002,
// selector 1000, buttons 1014, 1010 and 1011), owner-less message boxes,
// string 3 for the upgrade warning and the open-file dialog. While firmware
// is downloaded or read out the system is asked to stay awake. A question's
// suggested answer is not shown (message boxes of this program have no
// default but their first button), and a problem the system reported is
// left to the status text that follows it.

#include "firmware/operations_port.h"
#include "platform/system_services.h"
#include "ui/dialog_window.h"

class DialogPort : public OperationsPort {
public:
    // `window` and `system` must outlive the port.
    DialogPort(DialogWindow& window, SystemServices& system) : window_(window), system_(system) {}

    void ShowStatus(const char* text) override;
    void ShowProgress(int percent) override;
    void EnableCommand(Command command, bool enable) override;
    void ShowFirmwareFile(const char* path) override;
    int ChosenDrive() override;
    int LoadUpgradeWarning(char* buffer, int room) override;
    Answer Ask(Question question, const char* text, Answer suggested) override;
    bool ChooseFile(const FileChoice& choice, ChosenFile& chosen) override;
    // The dialog shows a failed check by its status text alone.
    void CheckEnded(UpgradeCheck, bool, const char*) override {}
    // The dialog goes on to its questions.
    bool ChecksPassed() override { return true; }
    void DownloadBegins() override;
    void DownloadEnds() override;
    void ReadOutBegins() override;
    void ReadOutEnds() override;
    void SystemProblem(const char* text) override;

private:
    DialogWindow& window_;
    SystemServices& system_;
};
