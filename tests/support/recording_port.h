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
    // Every block attempt, "Phase block/attempt ok|refused", kept apart too.
    std::vector<std::string> attempts;
    // Answers to give, in order; Yes once they run out.
    std::deque<Answer> answers;
    // The file chooser: false, or true with `chosenPath` and its extension.
    bool choosesFile = false;
    std::string chosenPath, chosenExtension;

    void ShowStatus(const char* text) override { events.push_back(std::string("Status(") + text + ")"); }
    void ShowProgress(int percent) override { events.push_back("Progress(" + std::to_string(percent) + ")"); }
    void CheckEnded(UpgradeCheck check, bool passed, const char* text) override;
    void PhaseBegins(Phase phase) override { events.push_back(std::string(Name(phase)) + "Begins"); }
    void PhaseEnds(Phase phase, bool succeeded) override {
        events.push_back(std::string(Name(phase)) + "Ends" + (succeeded ? "" : "(failed)"));
    }
    void BlockAttempted(Phase phase, int block, int attempt, bool accepted) override;
    void SystemProblem(const char* text) override { events.push_back(std::string("Problem(") + text + ")"); }
    Answer Ask(Question question, const char* text, Answer suggested) override;
    bool ChooseFile(const FileChoice& choice, ChosenFile& chosen) override;

    static const char* Name(Phase phase);
    static const char* Name(Question question);
    static const char* Name(Answer answer);
};
