// The modal dialog host: the real template run modally and driven from a
// timer inside the modal loop the way a user drives it (the Exit button,
// the close box, Escape, the restart question).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "firmware/firmware_package.h"
#include "main_dialog_window.h"


#include "ui/resources/resources.h"
#include "ui/upgrade_dialog.h"
#include "ui/win32/win32_gui.h"

namespace {

constexpr char kDialogCaption[] = "Tavrine KTX7724R05 Upgrade to P1.3 Tool 1.01";
constexpr char kPromptCaption[] = "DVD Firmware Upgrade Program - Restart System";

enum class Leave { ExitButton, CloseBox, EscapeKey };

// One modal run: what the simulated user does, and what was seen.
struct ModalRun {
    Leave leave;
    bool upgradeSucceeded;  // restartNeeded is set before leaving
    int promptAnswer;
    UpgradeDialog* dialog = nullptr;
    HANDLE dragIcon = nullptr;
    int prompts = 0;
    std::string promptText;
    int ticks = 0;
    bool left = false;
    bool timedOut = false;
};

ModalRun* g_run = nullptr;

struct CaptionSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<CaptionSearch*>(lParam);
    if (TextOf(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

// A top-level window of this thread with exactly this caption.
HWND ThreadWindow(const char* caption) {
    CaptionSearch search{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Actions are posted, never sent: the exit handler opens the restart
// question, whose own loop must run after this tick has returned.
void CALLBACK DriveModalRun(HWND, UINT, UINT_PTR, DWORD) {
    ModalRun& run = *g_run;
    HWND dialog = ThreadWindow(kDialogCaption);
    if (++run.ticks > 400) {  // about 8 seconds: give up rather than hang
        run.timedOut = true;
        if (dialog != nullptr) EndDialog(dialog, 99);
        return;
    }
    if (HWND prompt = ThreadWindow(kPromptCaption)) {
        ++run.prompts;
        run.promptText = TextOf(GetDlgItem(prompt, 0xFFFF));
        PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(run.promptAnswer, BN_CLICKED), 0);
        return;
    }
    if (dialog == nullptr || run.left) return;

    run.dragIcon = reinterpret_cast<HANDLE>(SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0));
    if (run.upgradeSucceeded) run.dialog->state.restartNeeded = 1;
    SetDlgItemTextA(dialog, kPathField, "C:\\fw\\p13.bin");
    switch (run.leave) {
        case Leave::ExitButton:
            PostMessageA(GetDlgItem(dialog, kExitButton), BM_CLICK, 0, 0);
            break;
        case Leave::CloseBox:
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Leave::EscapeKey:
            PostMessageA(GetDlgItem(dialog, kExitButton), WM_KEYDOWN, VK_ESCAPE, 0);
            break;
    }
    run.left = true;
}

TEST(DialogHost, EveryWayOutRunsTheExitHandlerAndEndsTheModalLoop) {
    std::vector<std::uint8_t> block(package_layout::kPackageSize, 0);
    const FirmwarePackage package(block.data());
    Win32Gui gui;
    DialogServices services;
    services.gui = &gui;
    services.package = &package;

    const struct {
        ModalRun run;
        int prompts;
        int restartConfirmed;
    } cases[] = {
        {{Leave::ExitButton, false, IDOK}, 0, 0},
        {{Leave::CloseBox, true, IDOK}, 1, 1},
        {{Leave::EscapeKey, true, IDCANCEL}, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.run.leave));
        ModalRun run = c.run;
        UpgradeDialog dialog(services);
        dialog.state.devices.Append(DeviceRecord{});
        run.dialog = &dialog;
        g_run = &run;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, DriveModalRun);
        const int result = RunDialogModal(dialog, gui);
        KillTimer(nullptr, timer);
        g_run = nullptr;

        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(run.dragIcon, dialog.icon);
        EXPECT_EQ(run.prompts, c.prompts);
        EXPECT_EQ(run.promptText, c.prompts > 0 ? KTX_STRING_RESTART_PROMPT : "");
        EXPECT_EQ(dialog.restartConfirmed, c.restartConfirmed);
        // The path field's text reached the member as the dialog ended.
        EXPECT_STREQ(dialog.state.firmwarePath.c_str(), "C:\\fw\\p13.bin");
        EXPECT_EQ(gui.dialog(), nullptr) << "still bound to a destroyed window";
    }
}

}  // namespace
