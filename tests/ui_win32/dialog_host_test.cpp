// The modal dialog host: the real template run modally, driven from a
// timer inside the modal loop the way a user would drive it (close box,
// Escape, the Exit button, the restart question).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialog_host.h"
#include "firmware_package.h"
#include "main_dialog_window.h"
#include "recording_gui.h"
#include "resource_strings.h"
#include "upgrade_dialog.h"
#include "win32_gui.h"

namespace {

constexpr char kDialogCaption[] = "Tavrine KTX7724R05 Upgrade to P1.3 Tool 1.01";
constexpr char kPromptCaption[] = "DVD Firmware Upgrade Program - Restart System";

enum class Leave { CloseBox, EscapeKey, ExitButton };

// What one modal run does and what it saw.
struct ModalRun {
    // Script.
    UpgradeDialog* dialog = nullptr;
    Leave leave = Leave::ExitButton;
    bool upgradeSucceeded = false;  // sets restartNeeded before leaving
    int promptAnswer = IDOK;
    std::string pathText;           // typed into the path field before leaving

    // Observations.
    bool sawDialog = false;
    bool dialogVisible = false;
    bool hiddenControlsHidden = false;
    LRESULT selectorCount = -1;
    bool selectorEnabled = false;
    std::string statusText;
    HANDLE dragIcon = nullptr;
    int prompts = 0;
    std::string promptText;
    bool timedOut = false;

    int ticks = 0;
    bool left = false;
};

ModalRun* g_run = nullptr;

struct FoundWindow {
    const char* caption;
    HWND window;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM lParam) {
    auto* found = reinterpret_cast<FoundWindow*>(lParam);
    if (TextOf(window) == found->caption) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// A top-level window of this thread with exactly this caption.
HWND ThreadWindow(const char* caption) {
    FoundWindow found{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

void CALLBACK DriveModalRun(HWND, UINT, UINT_PTR, DWORD) {
    ModalRun& run = *g_run;
    HWND dialog = ThreadWindow(kDialogCaption);
    if (++run.ticks > 400) {  // about 8 seconds: give up rather than hang
        run.timedOut = true;
        if (dialog != nullptr) EndDialog(dialog, 99);
        return;
    }

    // The restart question, if it is up: read it and answer.
    if (HWND prompt = ThreadWindow(kPromptCaption)) {
        ++run.prompts;
        run.promptText = TextOf(GetDlgItem(prompt, 0xFFFF));
        PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(run.promptAnswer, BN_CLICKED), 0);
        return;
    }
    if (dialog == nullptr || run.left) return;

    run.sawDialog = true;
    run.dialogVisible = IsWindowVisible(dialog) != FALSE;
    run.hiddenControlsHidden = !IsWindowVisible(GetDlgItem(dialog, kPathField)) &&
                               !IsWindowVisible(GetDlgItem(dialog, kBrowseButton)) &&
                               !IsWindowVisible(GetDlgItem(dialog, kSaveButton));
    run.selectorCount = SendDlgItemMessageA(dialog, kDeviceSelector, CB_GETCOUNT, 0, 0);
    run.selectorEnabled = IsWindowEnabled(GetDlgItem(dialog, kDeviceSelector)) != FALSE;
    run.statusText = TextOf(GetDlgItem(dialog, kStatusLine));
    run.dragIcon = reinterpret_cast<HANDLE>(SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0));

    if (run.upgradeSucceeded) run.dialog->restartNeeded = 1;
    if (!run.pathText.empty()) SetDlgItemTextA(dialog, kPathField, run.pathText.c_str());

    // Posted, not sent: the exit handler may open the restart question,
    // whose loop must run while this tick has returned.
    switch (run.leave) {
        case Leave::CloseBox:
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Leave::EscapeKey:
            PostMessageA(GetDlgItem(dialog, kExitButton), WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Leave::ExitButton:
            PostMessageA(GetDlgItem(dialog, kExitButton), BM_CLICK, 0, 0);
            break;
    }
    run.left = true;
}

class DialogHostTest : public ::testing::Test {
protected:
    DialogHostTest() : block_(package_layout::kPackageSize, 0), package_(block_.data()) {
        std::memcpy(block_.data(), "P1.3\0" "7E45", 9);
        services_.gui = &gui_;
        services_.package = &package_;
    }

    // Runs the dialog with `drives` drives under the script; returns RunDialogModal's result.
    int RunModal(ModalRun& run, int drives) {
        UpgradeDialog dialog(services_);
        for (int i = 0; i < drives; ++i) {
            DeviceRecord record;
            std::memset(&record, 0, sizeof record);
            std::memcpy(record.vendorId, "TAVRINE ", 8);
            dialog.devices.Append(record);
        }
        run.dialog = &dialog;
        g_run = &run;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, DriveModalRun);
        const int result = RunDialogModal(dialog);
        KillTimer(nullptr, timer);
        g_run = nullptr;
        restartConfirmed_ = dialog.restartConfirmed;
        firmwarePath_ = dialog.firmwarePath;
        icon_ = dialog.icon;
        return result;
    }

    std::vector<std::uint8_t> block_;
    FirmwarePackage package_;
    Win32Gui gui_;
    DialogServices services_;
    std::int32_t restartConfirmed_ = -1;
    std::string firmwarePath_;
    IconHandle icon_ = nullptr;
};

TEST_F(DialogHostTest, ExitWithoutAnUpgradeEndsWithoutAQuestion) {
    ModalRun run;
    run.leave = Leave::ExitButton;
    run.pathText = "C:\\fw\\p13.bin";
    EXPECT_EQ(RunModal(run, 3), IDOK);

    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(run.sawDialog);
    EXPECT_TRUE(run.dialogVisible);
    EXPECT_TRUE(run.hiddenControlsHidden);
    EXPECT_EQ(run.selectorCount, 3);
    EXPECT_TRUE(run.selectorEnabled);
    EXPECT_EQ(run.statusText, "");
    EXPECT_EQ(run.dragIcon, icon_);
    EXPECT_EQ(run.prompts, 0);
    EXPECT_EQ(restartConfirmed_, 0);
    // The path field's text reached the member when the dialog ended.
    EXPECT_EQ(firmwarePath_, "C:\\fw\\p13.bin");
    EXPECT_EQ(gui_.dialog(), nullptr) << "the GUI stays bound to a destroyed window";
}

TEST_F(DialogHostTest, CloseBoxAfterAnUpgradeAsksAndOkConfirmsTheRestart) {
    ModalRun run;
    run.leave = Leave::CloseBox;
    run.upgradeSucceeded = true;
    run.promptAnswer = IDOK;
    EXPECT_EQ(RunModal(run, 1), IDOK);

    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.selectorCount, 1);
    EXPECT_FALSE(run.selectorEnabled);
    EXPECT_EQ(run.prompts, 1);
    EXPECT_EQ(run.promptText, KTX_STRING_RESTART_PROMPT);
    EXPECT_EQ(restartConfirmed_, 1);
}

TEST_F(DialogHostTest, EscapeAfterAnUpgradeAsksAndCancelDeclinesTheRestart) {
    ModalRun run;
    run.leave = Leave::EscapeKey;
    run.upgradeSucceeded = true;
    run.promptAnswer = IDCANCEL;
    EXPECT_EQ(RunModal(run, 2), IDOK);

    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.prompts, 1);
    EXPECT_EQ(restartConfirmed_, 0);
}

TEST_F(DialogHostTest, DialogNeedsTheWin32Gui) {
    RecordingGui recording;
    DialogServices services;
    services.gui = &recording;
    UpgradeDialog dialog(services);
    EXPECT_EQ(RunDialogModal(dialog), -1);
}

}  // namespace
