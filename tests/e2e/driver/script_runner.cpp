#include "script_runner.h"


#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

#include "control_reader.h"

#include "desktop_windows.h"

#include "screenshot.h"

#include "wide_text.h"


namespace {

constexpr DWORD kPollMs = 50;

// Calls `check` until it returns true or `seconds` have passed; true when
// it came true. `check` runs at least once.
bool PollUntil(double seconds, const std::function<bool()>& check) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (check()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(kPollMs);
    }
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 0);
    if (*end != '\0') return false;
    value = static_cast<int>(number);
    return true;
}

bool ParseFlag(const std::string& text, bool& value) {
    if (text == "1") value = true;
    else if (text == "0") value = false;
    else return false;
    return true;
}

struct ButtonName {
    const char* name;
    int id;
};
const ButtonName kButtons[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
                               {"ignore", IDIGNORE}, {"yes", IDYES},       {"no", IDNO}};

bool ButtonId(const std::string& name, int& id) {
    for (const ButtonName& button : kButtons)
        if (name == button.name) {
            id = button.id;
            return true;
        }
    return ParseInt(name, id);
}

// The message box's buttons that are shown, by name, in id order.
std::string BoxButtons(HWND box) {
    std::string names;
    for (const ButtonName& button : kButtons) {
        const HWND control = ::GetDlgItem(box, button.id);
        if (control && IsControlVisible(control)) names += std::string(names.empty() ? "" : " ") + button.name;
    }
    return names;
}

// A message box shows its text in the static control with id 0xFFFF.
constexpr int kMessageBoxTextId = 0xFFFF;

std::string Describe(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const bool plain = !words[i].empty() && words[i].find_first_of(" \t\r\n\"\\") == std::string::npos;
        text += (i ? " " : "") + (plain ? words[i] : Quoted(words[i]));
    }
    return text;
}

}  // namespace

ScriptRunner::~ScriptRunner() {
    if (process_) ::CloseHandle(process_);
}

bool ScriptRunner::Run(const std::vector<ScriptLine>& script) {
    int steps = 0;
    for (const ScriptLine& line : script) {
        if (line.words.empty()) continue;
        const std::string failure = Execute(line.words);
        if (!failure.empty()) {
            std::printf("FAIL line %d: %s\n     %s\n     windows shown: %s\n", line.number,
                        Describe(line.words).c_str(), failure.c_str(), DescribeVisibleWindows().c_str());
            std::fflush(stdout);
            return false;
        }
        ++steps;
        std::printf("ok   line %d: %s\n", line.number, Describe(line.words).c_str());
        std::fflush(stdout);
    }
    std::printf("driver: script complete, %d steps passed\n", steps);
    std::fflush(stdout);
    return true;
}

std::string ScriptRunner::Execute(const std::vector<std::string>& words) {
    using Handler = std::string (ScriptRunner::*)(const std::vector<std::string>&);
    struct Entry {
        Handler handler;
        std::size_t minArgs, maxArgs;
        const char* usage;
    };
    static const std::map<std::string, Entry> commands = {
        {"wait-window", {&ScriptRunner::WaitWindow, 1, 2, "CAPTION [SECONDS]"}},
        {"expect-caption", {&ScriptRunner::ExpectCaption, 1, 1, "CAPTION"}},
        {"expect-text", {&ScriptRunner::ExpectText, 2, 2, "ID TEXT"}},
        {"print-text", {&ScriptRunner::PrintText, 1, 1, "ID"}},
        {"expect-enabled", {&ScriptRunner::ExpectEnabled, 2, 2, "ID 0|1"}},
        {"expect-visible", {&ScriptRunner::ExpectVisible, 2, 2, "ID 0|1"}},
        {"expect-count", {&ScriptRunner::ExpectCount, 2, 2, "ID N"}},
        {"expect-entry", {&ScriptRunner::ExpectEntry, 3, 3, "ID INDEX TEXT"}},
        {"expect-selection", {&ScriptRunner::ExpectSelection, 2, 2, "ID INDEX"}},
        {"expect-progress", {&ScriptRunner::ExpectProgress, 2, 2, "ID POSITION"}},
        {"expect-range", {&ScriptRunner::ExpectRange, 3, 3, "ID LOW HIGH"}},
        {"click", {&ScriptRunner::Click, 1, 1, "ID"}},
        {"command", {&ScriptRunner::Command, 1, 1, "ID"}},
        {"close", {&ScriptRunner::Close, 0, 0, ""}},
        {"key", {&ScriptRunner::Key, 1, 1, "escape|enter"}},
        {"expect-box", {&ScriptRunner::ExpectBox, 2, 3, "CAPTION TEXT [SECONDS]"}},
        {"expect-box-buttons", {&ScriptRunner::ExpectBoxButtons, 2, 8, "CAPTION BUTTON..."}},
        {"expect-window-count", {&ScriptRunner::ExpectWindowCount, 2, 2, "CAPTION N"}},
        {"answer-box", {&ScriptRunner::AnswerBox, 2, 3, "CAPTION ok|cancel|yes|no|ID [SECONDS]"}},
        {"press-box", {&ScriptRunner::AnswerBox, 2, 3, "CAPTION ok|cancel|yes|no|ID [SECONDS]"}},
        {"expect-no-window", {&ScriptRunner::ExpectNoWindow, 2, 2, "CAPTION SECONDS"}},
        {"wait-gone", {&ScriptRunner::WaitGone, 1, 2, "CAPTION [SECONDS]"}},
        {"wait-exit", {&ScriptRunner::WaitExit, 0, 1, "[SECONDS]"}},
        {"choose-file", {&ScriptRunner::ChooseFile, 2, 3, "CAPTION PATH [SECONDS]"}},
        {"screenshot", {&ScriptRunner::Screenshot, 1, 2, "PATH [window]"}},
        {"sleep", {&ScriptRunner::Sleep, 1, 1, "MILLISECONDS"}},
        {"timeout", {&ScriptRunner::SetTimeout, 1, 1, "SECONDS"}},
    };
    const auto found = commands.find(words[0]);
    if (found == commands.end()) return "unknown command '" + words[0] + "'";
    const Entry& entry = found->second;
    const std::size_t args = words.size() - 1;
    if (args < entry.minArgs || args > entry.maxArgs) return "usage: " + words[0] + " " + entry.usage;
    return (this->*entry.handler)(words);
}

double ScriptRunner::SecondsArgument(const std::vector<std::string>& words, std::size_t index) const {
    if (index >= words.size()) return timeoutSeconds_;
    const double seconds = std::strtod(words[index].c_str(), nullptr);
    return seconds > 0 ? seconds : timeoutSeconds_;
}

HWND ScriptRunner::Control(const std::string& idText, std::string& error) const {
    int id = 0;
    if (!ParseInt(idText, id)) {
        error = "bad control id '" + idText + "'";
        return nullptr;
    }
    if (!window_ || !::IsWindow(window_)) {
        error = "no program window (wait-window first, or the window has gone)";
        return nullptr;
    }
    const HWND control = ::GetDlgItem(window_, id);
    if (!control) error = "the window has no control " + idText;
    return control;
}

HWND ScriptRunner::AwaitWindow(const std::string& caption, double seconds, std::string& error) {
    std::vector<HWND> found;
    PollUntil(seconds, [&] {
        found = WindowsWithCaption(caption);
        return !found.empty();
    });
    if (found.empty()) {
        error = "no window " + Quoted(caption) + " within " + std::to_string(static_cast<int>(seconds)) + " s";
        return nullptr;
    }
    if (found.size() > 1) {
        error = std::to_string(found.size()) + " windows " + Quoted(caption) + ", expected one";
        return nullptr;
    }
    AdoptProcess(found.front());
    return found.front();
}

void ScriptRunner::AdoptProcess(HWND window) {
    if (process_) return;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId == 0 || processId == ::GetCurrentProcessId()) return;
    process_ = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
}

std::string ScriptRunner::WaitWindow(const std::vector<std::string>& words) {
    std::string error;
    const HWND window = AwaitWindow(words[1], SecondsArgument(words, 2), error);
    if (!window) return error;
    window_ = window;
    return {};
}

std::string ScriptRunner::ExpectCaption(const std::vector<std::string>& words) {
    if (!window_ || !::IsWindow(window_)) return "no program window";
    std::string caption;
    PollUntil(timeoutSeconds_, [&] {
        wchar_t text[512] = {};
        ::GetWindowTextW(window_, text, 512);
        caption = Utf8FromWide(text);
        return caption == words[1];
    });
    if (caption != words[1]) return "caption is " + Quoted(caption);
    return {};
}

std::string ScriptRunner::ExpectText(const std::vector<std::string>& words) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    std::string text;
    bool answered = false;
    PollUntil(timeoutSeconds_, [&] {
        std::string read;
        if (!ReadText(control, read)) return false;
        answered = true;
        text = read;
        return text == words[2];
    });
    if (!answered) return "control " + words[1] + " did not answer (program busy or gone)";
    if (text != words[2]) return "text is " + Quoted(text);
    return {};
}

std::string ScriptRunner::PrintText(const std::vector<std::string>& words) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    std::string text;
    if (!PollUntil(timeoutSeconds_, [&] { return ReadText(control, text); }))
        return "control " + words[1] + " did not answer (program busy or gone)";
    std::printf("text %s: %s\n", words[1].c_str(), Quoted(text).c_str());
    std::fflush(stdout);
    return {};
}

std::string ScriptRunner::ExpectState(const std::vector<std::string>& words, bool visible) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    bool expected = false;
    if (!ParseFlag(words[2], expected)) return "expected 0 or 1, got '" + words[2] + "'";
    bool state = false;
    PollUntil(timeoutSeconds_, [&] {
        state = visible ? IsControlVisible(control) : IsControlEnabled(control);
        return state == expected;
    });
    if (state != expected)
        return std::string("control ") + words[1] + " is " +
               (visible ? (state ? "visible" : "hidden") : (state ? "enabled" : "disabled"));
    return {};
}

std::string ScriptRunner::ExpectEnabled(const std::vector<std::string>& words) { return ExpectState(words, false); }

std::string ScriptRunner::ExpectVisible(const std::vector<std::string>& words) { return ExpectState(words, true); }

std::string ScriptRunner::ExpectCount(const std::vector<std::string>& words) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    int expected = 0;
    if (!ParseInt(words[2], expected)) return "bad count '" + words[2] + "'";
    int count = -1;
    PollUntil(timeoutSeconds_, [&] { return ReadComboCount(control, count) && count == expected; });
    if (count != expected) return "the selector holds " + std::to_string(count) + " entries";
    return {};
}

std::string ScriptRunner::ExpectEntry(const std::vector<std::string>& words) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    int index = 0;
    if (!ParseInt(words[2], index)) return "bad index '" + words[2] + "'";
    std::string text;
    bool answered = false;
    PollUntil(timeoutSeconds_, [&] {
        std::string read;
        if (!ReadComboEntry(control, index, read)) return false;
        answered = true;
        text = read;
        return text == words[3];
    });
    if (!answered) return "entry " + words[2] + " could not be read (no such entry, or the program is busy)";
    if (text != words[3]) return "entry " + words[2] + " is " + Quoted(text);
    return {};
}

std::string ScriptRunner::ExpectSelection(const std::vector<std::string>& words) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    int expected = 0;
    if (!ParseInt(words[2], expected)) return "bad index '" + words[2] + "'";
    int index = -2;
    PollUntil(timeoutSeconds_, [&] { return ReadComboSelection(control, index) && index == expected; });
    if (index != expected) return "selected entry is " + std::to_string(index);
    return {};
}

std::string ScriptRunner::ExpectProgress(const std::vector<std::string>& words) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    int expected = 0;
    if (!ParseInt(words[2], expected)) return "bad position '" + words[2] + "'";
    int position = -1;
    PollUntil(timeoutSeconds_, [&] { return ReadProgressPosition(control, position) && position == expected; });
    if (position != expected) return "progress position is " + std::to_string(position);
    return {};
}

std::string ScriptRunner::ExpectRange(const std::vector<std::string>& words) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    int low = 0, high = 0;
    if (!ParseInt(words[2], low) || !ParseInt(words[3], high)) return "bad range";
    int readLow = -1, readHigh = -1;
    PollUntil(timeoutSeconds_, [&] {
        return ReadProgressRange(control, readLow, readHigh) && readLow == low && readHigh == high;
    });
    if (readLow != low || readHigh != high)
        return "range is " + std::to_string(readLow) + ".." + std::to_string(readHigh);
    return {};
}

// A user can click only what is shown and enabled; commands a user cannot
// give go through `command`.
std::string ScriptRunner::Click(const std::vector<std::string>& words) {
    std::string error;
    const HWND control = Control(words[1], error);
    if (!control) return error;
    if (!IsControlVisible(control)) return "control " + words[1] + " is hidden: a user cannot click it";
    if (!IsControlEnabled(control)) return "control " + words[1] + " is disabled: a user cannot click it";
    // Posted, so that a click which opens a modal box does not hold the driver.
    if (!::PostMessageW(control, BM_CLICK, 0, 0)) return "PostMessage failed";
    return {};
}

std::string ScriptRunner::Command(const std::vector<std::string>& words) {
    int id = 0;
    if (!ParseInt(words[1], id)) return "bad command id '" + words[1] + "'";
    if (!window_ || !::IsWindow(window_)) return "no program window";
    const HWND control = ::GetDlgItem(window_, id);
    if (!::PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control)))
        return "PostMessage failed";
    return {};
}

std::string ScriptRunner::Close(const std::vector<std::string>&) {
    if (!window_ || !::IsWindow(window_)) return "no program window";
    // What the caption's close box sends.
    if (!::PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0)) return "PostMessage failed";
    return {};
}

std::string ScriptRunner::Key(const std::vector<std::string>& words) {
    UINT key = 0;
    if (words[1] == "escape") key = VK_ESCAPE;
    else if (words[1] == "enter") key = VK_RETURN;
    else return "unknown key '" + words[1] + "'";
    if (!window_ || !::IsWindow(window_)) return "no program window";
    // The key goes where the keyboard focus of the program's thread is, so
    // that the dialog manager of its modal loop sees it as a user's key. The
    // focus read from another process can name a window that is already
    // gone, or one that is not the dialog's (while the program settles):
    // then the key goes to the dialog itself, whose manager handles Enter
    // and Escape the same way, and the post is tried until it is taken.
    const DWORD thread = ::GetWindowThreadProcessId(window_, nullptr);
    const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    HWND target = nullptr;
    const bool posted = PollUntil(timeoutSeconds_, [&] {
        if (!::IsWindow(window_)) return false;
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        target = window_;
        if (::GetGUIThreadInfo(thread, &info) && info.hwndFocus &&
            (info.hwndFocus == window_ || ::IsChild(window_, info.hwndFocus)))
            target = info.hwndFocus;
        return ::PostMessageW(target, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scan) << 16)) != FALSE;
    });
    if (!posted) return "the key could not be posted to the program's window";
    // The release completes the press, at the same window.
    ::PostMessageW(target, WM_KEYUP, key, 1 | (static_cast<LPARAM>(scan) << 16) | (3u << 30));
    return {};
}

std::string ScriptRunner::ExpectBox(const std::vector<std::string>& words) {
    std::string error;
    const HWND box = AwaitWindow(words[1], SecondsArgument(words, 3), error);
    if (!box) return error;
    const HWND textControl = ::GetDlgItem(box, kMessageBoxTextId);
    if (!textControl) return "the window " + Quoted(words[1]) + " has no message text";
    std::string text;
    bool answered = false;
    PollUntil(timeoutSeconds_, [&] {
        std::string read;
        if (!ReadText(textControl, read)) return false;
        answered = true;
        text = read;
        return text == words[2];
    });
    if (!answered) return "the message text did not answer";
    if (text != words[2]) return "the box says " + Quoted(text);
    return {};
}

std::string ScriptRunner::ExpectBoxButtons(const std::vector<std::string>& words) {
    std::string error;
    const HWND box = AwaitWindow(words[1], timeoutSeconds_, error);
    if (!box) return error;
    std::string expected;
    for (std::size_t i = 2; i < words.size(); ++i) expected += (i > 2 ? " " : "") + words[i];
    const std::string shown = BoxButtons(box);
    if (shown != expected) return "buttons shown: " + (shown.empty() ? std::string("none") : shown);
    return {};
}

std::string ScriptRunner::ExpectWindowCount(const std::vector<std::string>& words) {
    int expected = 0;
    if (!ParseInt(words[2], expected)) return "bad count '" + words[2] + "'";
    const int count = static_cast<int>(WindowsWithCaption(words[1]).size());
    if (count != expected) return std::to_string(count) + " windows " + Quoted(words[1]);
    return {};
}

std::string ScriptRunner::AnswerBox(const std::vector<std::string>& words) {
    int id = 0;
    if (!ButtonId(words[2], id)) return "unknown button '" + words[2] + "'";
    const double seconds = SecondsArgument(words, 3);
    std::string error;
    const HWND box = AwaitWindow(words[1], seconds, error);
    if (!box) return error;
    const HWND button = ::GetDlgItem(box, id);
    if (!button || !IsControlVisible(button))
        return "the box has no button " + words[2] + " (it shows: " + BoxButtons(box) + ")";
    if (!::PostMessageW(button, BM_CLICK, 0, 0)) return "PostMessage failed";
    // press-box does not wait for the box to close: what the answer sets
    // off may end the driver's own process (a forced restart under Wine).
    if (words[0] == "press-box") return {};
    if (!PollUntil(seconds, [&] { return !::IsWindow(box) || !::IsWindowVisible(box); }))
        return "the box stayed open after pressing " + words[2];
    return {};
}

std::string ScriptRunner::ExpectNoWindow(const std::vector<std::string>& words) {
    const double seconds = SecondsArgument(words, 2);
    std::size_t count = 0;
    const bool appeared = PollUntil(seconds, [&] {
        count = WindowsWithCaption(words[1]).size();
        return count != 0;
    });
    if (appeared) return "a window " + Quoted(words[1]) + " appeared";
    return {};
}

std::string ScriptRunner::WaitGone(const std::vector<std::string>& words) {
    if (!PollUntil(SecondsArgument(words, 2), [&] { return WindowsWithCaption(words[1]).empty(); }))
        return "the window " + Quoted(words[1]) + " is still shown";
    return {};
}

std::string ScriptRunner::WaitExit(const std::vector<std::string>& words) {
    if (!process_) return "no program process known (no window of it was seen)";
    const double seconds = SecondsArgument(words, 1);
    const DWORD result = ::WaitForSingleObject(process_, static_cast<DWORD>(seconds * 1000));
    if (result == WAIT_TIMEOUT)
        return "the program is still running after " + std::to_string(static_cast<int>(seconds)) + " s";
    if (result != WAIT_OBJECT_0) return "cannot wait for the program's process";
    window_ = nullptr;
    return {};
}

// An open-file dialog: the file name goes into its file-name field (the
// combo box cmb13 of the Explorer-style dialog, or the edit edt1 of the old
// style), then OK is pressed.
std::string ScriptRunner::ChooseFile(const std::vector<std::string>& words) {
    const double seconds = SecondsArgument(words, 3);
    std::string error;
    const HWND dialog = AwaitWindow(words[1], seconds, error);
    if (!dialog) return error;
    constexpr int kFileNameCombo = 0x47C;  // cmb13
    constexpr int kFileNameEdit = 0x480;   // edt1
    HWND field = ::GetDlgItem(dialog, kFileNameCombo);
    if (!field) field = ::GetDlgItem(dialog, kFileNameEdit);
    if (!field) return "the dialog has no file-name field";
    const std::wstring path = WideFromUtf8(words[2]);
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG,
                               2000, &result))
        return "the file-name field did not take the text";
    const HWND ok = ::GetDlgItem(dialog, IDOK);
    if (!ok) return "the dialog has no OK button";
    if (!::PostMessageW(ok, BM_CLICK, 0, 0)) return "PostMessage failed";
    if (!PollUntil(seconds, [&] { return !::IsWindow(dialog) || !::IsWindowVisible(dialog); }))
        return "the dialog stayed open after OK";
    return {};
}

std::string ScriptRunner::Screenshot(const std::vector<std::string>& words) {
    HWND area = nullptr;
    if (words.size() > 2) {
        if (words[2] != "window") return "unknown screenshot area '" + words[2] + "'";
        if (!window_ || !::IsWindow(window_)) return "no program window";
        area = window_;
    }
    std::string error;
    if (!SaveScreenshot(words[1], area, error)) return error;
    return {};
}

std::string ScriptRunner::Sleep(const std::vector<std::string>& words) {
    int ms = 0;
    if (!ParseInt(words[1], ms) || ms < 0) return "bad milliseconds '" + words[1] + "'";
    ::Sleep(static_cast<DWORD>(ms));
    return {};
}

std::string ScriptRunner::SetTimeout(const std::vector<std::string>& words) {
    const double seconds = std::strtod(words[1].c_str(), nullptr);
    if (seconds <= 0) return "bad seconds '" + words[1] + "'";
    timeoutSeconds_ = seconds;
    return {};
}
