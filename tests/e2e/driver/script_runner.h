#pragma once
// Runs a driver script against the program under test: one command per
// line, each step printed as it completes, the first failure printed with
// what was expected and what was seen, and the run stopped there.

#include <windows.h>

#include <string>
#include <vector>

#include "script_line.h"


class ScriptRunner {
public:
    ScriptRunner() = default;
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // Returns true when every step passed.
    bool Run(const std::vector<ScriptLine>& script);

private:
    // Each command returns an empty string when it passed, otherwise why not.
    std::string Execute(const std::vector<std::string>& words);

    std::string WaitWindow(const std::vector<std::string>& words);
    std::string ExpectCaption(const std::vector<std::string>& words);
    std::string ExpectText(const std::vector<std::string>& words);
    // Prints a control's text as "text ID: "TEXT"" (for demos and logs).
    std::string PrintText(const std::vector<std::string>& words);
    std::string ExpectEnabled(const std::vector<std::string>& words);
    std::string ExpectVisible(const std::vector<std::string>& words);
    std::string ExpectState(const std::vector<std::string>& words, bool visible);
    std::string ExpectCount(const std::vector<std::string>& words);
    std::string ExpectEntry(const std::vector<std::string>& words);
    std::string ExpectSelection(const std::vector<std::string>& words);
    std::string ExpectProgress(const std::vector<std::string>& words);
    std::string ExpectRange(const std::vector<std::string>& words);
    std::string Click(const std::vector<std::string>& words);
    std::string Command(const std::vector<std::string>& words);
    std::string Close(const std::vector<std::string>& words);
    std::string Key(const std::vector<std::string>& words);
    std::string ExpectBox(const std::vector<std::string>& words);
    std::string ExpectBoxButtons(const std::vector<std::string>& words);
    std::string ExpectWindowCount(const std::vector<std::string>& words);
    std::string AnswerBox(const std::vector<std::string>& words);
    std::string ExpectNoWindow(const std::vector<std::string>& words);
    std::string WaitGone(const std::vector<std::string>& words);
    std::string WaitExit(const std::vector<std::string>& words);
    std::string ChooseFile(const std::vector<std::string>& words);
    std::string Screenshot(const std::vector<std::string>& words);
    std::string Sleep(const std::vector<std::string>& words);
    std::string SetTimeout(const std::vector<std::string>& words);

    // The control `idText` of the current window, or an explanation in `error`.
    HWND Control(const std::string& idText, std::string& error) const;
    // Waits up to `seconds` for exactly one visible window with `caption`.
    HWND AwaitWindow(const std::string& caption, double seconds, std::string& error);
    // Remembers the process of `window` as the program under test (once).
    void AdoptProcess(HWND window);
    double SecondsArgument(const std::vector<std::string>& words, std::size_t index) const;

    HWND window_ = nullptr;      // the program's dialog, after wait-window
    HANDLE process_ = nullptr;   // the program's process, once a window of it was seen
    double timeoutSeconds_ = 10;  // how long expectations wait to come true
};
