#pragma once
// The operations' port for host tests: records every event in order, as
// "Name(args)", and answers questions, the upgrade warning and the file
// chooser from a script.

#include <deque>
#include <string>
#include <vector>

#include "firmware/operations_port.h"

class RecordingPort : public OperationsPort {
public:
    std::vector<std::string> events;
    // The upgrade's checks as they ended, "Name" or "Name failed: text",
    // kept apart from `events`.
    std::vector<std::string> checks;
    // Answers to give, in order; Yes once they run out.
    std::deque<Answer> answers;
    int chosenDrive = 0;
    bool stopAfterChecks = false;
    // The upgrade warning's text; empty: the face has none.
    std::string upgradeWarning = "upgrade warning";
    // The file chooser: false, or true with `chosenPath` and its extension.
    bool choosesFile = false;
    std::string chosenPath, chosenExtension;

    void ShowStatus(const char* text) override { events.push_back(std::string("Status(") + text + ")"); }
    void ShowProgress(int percent) override { events.push_back("Progress(" + std::to_string(percent) + ")"); }
    void EnableCommand(Command command, bool enable) override;
    void ShowFirmwareFile(const char* path) override { events.push_back(std::string("File(") + path + ")"); }
    int ChosenDrive() override { return chosenDrive; }
    int LoadUpgradeWarning(char* buffer, int room) override;
    Answer Ask(Question question, const char* text, Answer suggested) override;
    bool ChooseFile(const FileChoice& choice, ChosenFile& chosen) override;
    void CheckEnded(UpgradeCheck check, bool passed, const char* text) override;
    // Not recorded: what a face does here is its own; `stopAfterChecks` ends the upgrade.
    bool ChecksPassed() override { return !stopAfterChecks; }
    void DownloadBegins() override { events.push_back("DownloadBegins"); }
    void DownloadEnds() override { events.push_back("DownloadEnds"); }
    void ReadOutBegins() override { events.push_back("ReadOutBegins"); }
    void ReadOutEnds() override { events.push_back("ReadOutEnds"); }
    void SystemProblem(const char* text) override { events.push_back(std::string("Problem(") + text + ")"); }

    static const char* Name(Command command);
    static const char* Name(Question question);
    static const char* Name(Answer answer);
};
