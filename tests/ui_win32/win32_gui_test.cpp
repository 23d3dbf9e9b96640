// The Win32 GUI layer against the real controls of template 102, created
// hidden: the controls as the template makes them, each contract operation,
// and the dialog's initialisation showing in the controls.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dialog_template_reader.h"

#include "firmware/firmware_package.h"
#include "main_dialog_window.h"

#include "ui/resources/resources.h"
#include "ui/upgrade_dialog.h"
#include "ui/win32/win32_gui.h"

namespace {

TEST(MainDialogWindow, ControlsHaveTheirClassesStatesAndTextsInTabOrder) {
    HiddenMainDialog dialog;
    ASSERT_NE(dialog.window(), nullptr) << "template 102 could not be created";
    EXPECT_EQ(TextOf(dialog.window()), "Tavrine KTX7724R05 Upgrade to P1.3 Tool");

    const struct {
        int id;
        const char* className;
        bool visible;
        bool enabled;
        const char* text;
    } expected[] = {
        {1000, "COMBOBOX", true, true, ""},
        {1002, "EDIT", false, false, ""},
        {1014, "BUTTON", false, true, "..."},
        {1009, "BUTTON", false, true, "Save"},
        {1010, "BUTTON", true, true, "Upgrade to P1.3"},
        {1011, "BUTTON", true, true, "Exit"},
        {1004, "EDIT", true, false, ""},
        {1001, "MSCTLS_PROGRESS32", true, true, "Progress1"},
    };
    HWND child = GetWindow(dialog.window(), GW_CHILD);
    for (const auto& want : expected) {
        SCOPED_TRACE(want.id);
        ASSERT_NE(child, nullptr);
        // Children are in creation order, which is the template's and the tab order.
        EXPECT_EQ(GetDlgCtrlID(child), want.id);
        EXPECT_EQ(CharUpperString(ClassOf(child)), want.className);
        const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        EXPECT_EQ((style & WS_VISIBLE) != 0, want.visible);
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, want.enabled);
        EXPECT_EQ(TextOf(child), want.text);
        if (want.id != 1001) {
            EXPECT_NE(style & WS_TABSTOP, 0u);
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template lists";

    const DWORD selector = static_cast<DWORD>(GetWindowLongA(dialog.item(1000), GWL_STYLE));
    EXPECT_EQ(selector & 0x3, static_cast<DWORD>(CBS_DROPDOWNLIST));
    EXPECT_EQ(selector & CBS_SORT, 0u);
    const DWORD status = static_cast<DWORD>(GetWindowLongA(dialog.item(1004), GWL_STYLE));
    EXPECT_NE(status & ES_MULTILINE, 0u);
    for (int id : {1014, 1009, 1010, 1011}) {
        const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog.item(id), GWL_STYLE));
        EXPECT_EQ(style & 0xF, static_cast<DWORD>(BS_PUSHBUTTON)) << id;
    }
}

// A control's text through the dialog window.
std::string ItemText(Win32Gui& gui, int id) {
    MessageText text;
    gui.GetItemText(id, text);
    return text.c_str();
}

std::string Caption(Win32Gui& gui) {
    MessageText text;
    gui.GetCaption(text);
    return text.c_str();
}

TEST(Win32Gui, ServiceOperationsActOnTheBoundDialog) {
    HiddenMainDialog dialog;
    ASSERT_NE(dialog.window(), nullptr);
    Win32Gui gui;
    gui.Bind(dialog.window());

    gui.SetItemText(kStatusLine, "Start Flashing...\r\nDon't turn off the power!!");
    EXPECT_EQ(ItemText(gui, kStatusLine), "Start Flashing...\r\nDon't turn off the power!!");
    EXPECT_EQ(TextOf(dialog.item(kStatusLine)), "Start Flashing...\r\nDon't turn off the power!!");

    gui.EnableItem(kUpgradeButton, false);
    EXPECT_FALSE(IsWindowEnabled(dialog.item(kUpgradeButton)));
    gui.EnableItem(kUpgradeButton, true);
    EXPECT_TRUE(IsWindowEnabled(dialog.item(kUpgradeButton)));

    // Entries stay in the order they were added (the list is not sorted).
    gui.ComboAddString(kDeviceSelector, "second drive");
    gui.ComboAddString(kDeviceSelector, "a first drive");
    EXPECT_EQ(SendMessageA(dialog.item(kDeviceSelector), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(ComboEntry(dialog.item(kDeviceSelector), 0), "second drive");
    gui.ComboSetCurSel(kDeviceSelector, 1);
    EXPECT_EQ(gui.ComboGetCurSel(kDeviceSelector), 1);

    gui.ProgressSetRange(kProgressBar, 0, 100);
    EXPECT_EQ(SendMessageA(dialog.item(kProgressBar), PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(dialog.item(kProgressBar), PBM_GETRANGE, FALSE, 0), 100);
    gui.ProgressSetPos(kProgressBar, 37);
    EXPECT_EQ(SendMessageA(dialog.item(kProgressBar), PBM_GETPOS, 0, 0), 37);

    gui.SetCaption((Caption(gui) + "!").c_str());
    EXPECT_EQ(TextOf(dialog.window()), "Tavrine KTX7724R05 Upgrade to P1.3 Tool!");

    IconHandle icon = gui.LoadAppIcon(154);
    ASSERT_NE(icon, nullptr);
    gui.SetWindowIcon(true, icon);
    gui.SetWindowIcon(false, icon);
    EXPECT_EQ(reinterpret_cast<IconHandle>(SendMessageA(dialog.window(), WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<IconHandle>(SendMessageA(dialog.window(), WM_GETICON, ICON_SMALL, 0)), icon);
    EXPECT_FALSE(gui.IsIconic());
}

TEST(Win32Gui, StringsComeFromTheProgramsOwnResources) {
    Win32Gui gui;  // needs no window
    char text[300] = {};
    EXPECT_EQ(gui.LoadText(1, text, 255), 143);
    EXPECT_STREQ(text, KTX_STRING_RESTART_PROMPT);
    EXPECT_EQ(gui.LoadText(3, text, 300), 267);
    EXPECT_EQ(gui.LoadText(77, text, 300), 0);
}

TEST(Win32Gui, UnboundControlOperationsDoNothing) {
    Win32Gui gui;
    gui.SetItemText(kStatusLine, "text");
    gui.EnableItem(kUpgradeButton, false);
    gui.ComboAddString(kDeviceSelector, "entry");
    EXPECT_EQ(ItemText(gui, kStatusLine), "");
    EXPECT_EQ(Caption(gui), "");
    EXPECT_EQ(gui.ComboGetCurSel(kDeviceSelector), CB_ERR);
    EXPECT_FALSE(gui.IsIconic());
}

DeviceRecord Drive(const char (&revision)[7]) {
    DeviceRecord record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(record.vendorId, "TAVRINE ", 8);
    std::memcpy(record.productId, "KTX7724R05      ", 16);
    std::memcpy(record.productRevision, revision, 6);
    return record;
}

TEST(Win32Gui, DialogInitialisationShowsInTheControls) {
    HiddenMainDialog window;
    ASSERT_NE(window.window(), nullptr);
    std::vector<std::uint8_t> block(package_layout::kPackageSize, 0);
    std::memcpy(block.data(), package_layout::kUncombinedMarker, package_layout::kUncombinedMarkerLength);
    const FirmwarePackage package(block.data());

    Win32Gui gui;
    DialogServices services;
    services.gui = &gui;
    services.package = &package;
    UpgradeDialog dialog(services);
    ASSERT_NE(dialog.icon, nullptr);
    dialog.state.devices.Append(Drive("P1.2  "));
    dialog.state.devices.Append(Drive("P1.3  "));

    gui.Bind(window.window());
    dialog.DoDataExchange(true);
    EXPECT_TRUE(dialog.OnInitDialog());

    EXPECT_EQ(TextOf(window.window()), "Tavrine KTX7724R05 Upgrade to P1.3 Tool 1.01");
    HWND selector = window.item(kDeviceSelector);
    ASSERT_EQ(SendMessageA(selector, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(ComboEntry(selector, 0), "TAVRINE  KTX7724R05       P1.2   Version 0.0");
    EXPECT_EQ(ComboEntry(selector, 1), "TAVRINE  KTX7724R05       P1.3   Version 0.0");
    EXPECT_EQ(SendMessageA(selector, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsWindowEnabled(selector));
    EXPECT_FALSE(IsWindowEnabled(window.item(kUpgradeButton)));
    EXPECT_TRUE(IsWindowEnabled(window.item(kExitButton)));
    EXPECT_EQ(TextOf(window.item(kStatusLine)), "Need Combine firmware first !!");
    EXPECT_EQ(SendMessageA(window.item(kProgressBar), PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(window.item(kProgressBar), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(reinterpret_cast<IconHandle>(SendMessageA(window.window(), WM_GETICON, ICON_BIG, 0)), dialog.icon);
    EXPECT_EQ(reinterpret_cast<IconHandle>(SendMessageA(window.window(), WM_GETICON, ICON_SMALL, 0)), dialog.icon);
    gui.Bind(nullptr);
}

// The open-file dialog, answered from a timer inside its own modal loop:
// the name typed (or Cancel), and the first thing it shows.
struct FileDialogAnswer {
    const char* typed;  // null: Cancel
    bool answered = false;
    int ticks = 0;
};
FileDialogAnswer* g_answer = nullptr;

BOOL CALLBACK FindFileDialog(HWND window, LPARAM found) {
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK AnswerFileDialog(HWND, UINT, UINT_PTR, DWORD) {
    FileDialogAnswer& answer = *g_answer;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindFileDialog, reinterpret_cast<LPARAM>(&dialog));
    if (++answer.ticks > 400 && dialog != nullptr) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    if (dialog == nullptr || answer.answered) return;
    answer.answered = true;
    if (answer.typed == nullptr) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // The file name field: edt1, or the combo box cmb13 of newer dialogs.
    HWND name = GetDlgItem(dialog, 0x480);
    if (name == nullptr) name = GetDlgItem(dialog, 0x47C);
    SetWindowTextA(name, answer.typed);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

bool RunFileDialog(Win32Gui& gui, const OpenFileRequest& request, const char* typed, ChosenFile& result) {
    FileDialogAnswer answer{typed};
    g_answer = &answer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerFileDialog);
    const bool confirmed = gui.RunOpenFileDialog(request, result);
    KillTimer(nullptr, timer);
    g_answer = nullptr;
    EXPECT_TRUE(answer.answered) << "the file dialog did not come up";
    return confirmed;
}

TEST(Win32Gui, OpenFileDialogTakesTheRequestAndGivesPathAndExtension) {
    char directory[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, directory), 0u);
    OpenFileRequest request;
    request.defaultExtension = "bin";
    request.initialFileName = "*.bin";
    request.flags = kOfnHideReadOnly;
    request.filter = "Firmware File (bin)";
    request.initialDirectory = directory;
    std::string folder = directory;
    if (folder.back() != '\\') folder += '\\';

    Win32Gui gui;
    ChosenFile result;
    ASSERT_TRUE(RunFileDialog(gui, request, "FW.BIN", result));
    EXPECT_EQ(CharUpperString(result.fullPath.c_str()), CharUpperString(folder + "FW.BIN"));
    EXPECT_STREQ(result.extension.c_str(), "BIN");

    ChosenFile untouched;
    EXPECT_FALSE(RunFileDialog(gui, request, nullptr, untouched));
    EXPECT_TRUE(untouched.fullPath.empty());
}

}  // namespace
