#include "recording_port.h"

#include <algorithm>
#include <cstring>

const char* RecordingPort::Name(Command command) {
    switch (command) {
    case Command::Browse:
        return "Browse";
    case Command::Upgrade:
        return "Upgrade";
    case Command::Exit:
        break;
    }
    return "Exit";
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

void RecordingPort::EnableCommand(Command command, bool enable) {
    events.push_back(std::string("Enable(") + Name(command) + "," + (enable ? "1" : "0") + ")");
}

int RecordingPort::LoadUpgradeWarning(char* buffer, int room) {
    events.push_back("LoadUpgradeWarning");
    if (upgradeWarning.empty() || room <= 0) return 0;
    const int copied = std::min(static_cast<int>(upgradeWarning.size()), room - 1);
    std::memcpy(buffer, upgradeWarning.data(), static_cast<std::size_t>(copied));
    buffer[copied] = '\0';
    return copied;
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
