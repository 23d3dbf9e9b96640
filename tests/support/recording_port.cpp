#include "recording_port.h"

#include <algorithm>
#include <cstring>

const char* RecordingPort::Name(Phase phase) {
    switch (phase) {
    case Phase::Checks:
        return "Checks";
    case Phase::ReadOut:
        return "ReadOut";
    case Phase::Download:
        break;
    }
    return "Download";
}

const char* RecordingPort::Name(Question question) {
    switch (question) {
    case Question::UpgradeWarning:
        return "UpgradeWarning";
    case Question::FlashingStart:
        return "FlashingStart";
    case Question::OverwriteFile:
        break;
    }
    return "OverwriteFile";
}

const char* RecordingPort::Name(Answer answer) {
    switch (answer) {
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    case Answer::NoAnswer:
        break;
    }
    return "NoAnswer";
}

void RecordingPort::CheckEnded(UpgradeCheck check, bool passed, const char* text) {
    std::string entry = UpgradeCheckName(check);
    if (!passed) entry += std::string(" failed: ") + (text != nullptr ? text : "(no text)");
    checks.push_back(entry);
}

void RecordingPort::BlockAttempted(Phase phase, int block, int attempt, bool accepted) {
    attempts.push_back(std::string(Name(phase)) + " " + std::to_string(block) + "/" + std::to_string(attempt) + " " +
                       (accepted ? "ok" : "refused"));
}

Answer RecordingPort::Ask(Question question, const char* text, Answer suggested) {
    events.push_back(std::string("Ask(") + Name(question) + "," + text + ",suggests " + Name(suggested) + ")");
    if (answers.empty()) return Answer::Yes;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

bool RecordingPort::ChooseFile(const FileChoice& choice, ChosenFile& chosen) {
    events.push_back(std::string("ChooseFile(") + choice.initialFileName + ")");
    if (!choosesFile) return false;
    chosen.fullPath.Assign(chosenPath.c_str());
    chosen.extension.Assign(chosenExtension.c_str());
    return true;
}
