#include "ui/upgrade_dialog.h"

#include <cstring>

#include "firmware/firmware_readout.h"

namespace {

// The tool's own version, shown after the template's caption.
constexpr char kCaptionVersionSuffix[] = " 1.01";

// The restart question on leaving after an upgrade: string 1, or a fixed
// text when the string cannot be loaded.
constexpr char kRestartPromptCaption[] = "DVD Firmware Upgrade Program - Restart System";
constexpr char kRestartFallbackText[] = "Must Reboot this PC";
constexpr char kRestartFallbackCaption[] = "Reboot";
constexpr unsigned kRestartPromptStyle = kMbOkCancel | kMbIconQuestion;  // 0x21
// The string is read into 256 bytes, of which 255 are offered to the loader.
constexpr int kRestartTextBufferSize = 256;
constexpr int kRestartTextRoom = 255;

// A NUL-terminated field of the record as it stands (trailing blanks kept),
// never reading past the field should its terminator be missing.
template <std::size_t N>
void AppendField(TextBuffer& text, const char (&field)[N]) {
    const void* end = std::memchr(field, '\0', N);
    text.Append(field, end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N);
}

// One selector entry: "<vendor> <product> <revision> Version <major>.<minor>".
FixedText<80> DeviceEntryText(const DeviceRecord& record) {
    FixedText<80> text;
    AppendField(text, record.vendorId);
    text.Append(' ');
    AppendField(text, record.productId);
    text.Append(' ');
    AppendField(text, record.productRevision);
    text.AppendFormat(" Version %u.%u", static_cast<unsigned>(record.versionMajor),
                      static_cast<unsigned>(record.versionMinor));
    return text;
}

// Where a minimised window's icon goes along one axis: centred, with the
// rounding term, the division truncating toward zero.
int CentredIconOrigin(int clientExtent, int iconExtent) { return (clientExtent - iconExtent + 1) / 2; }

// The states of the browse, Upgrade and Exit buttons.
struct Buttons {
    bool browse, upgrade, exit;
};
constexpr Buttons kNone{false, false, false};
constexpr Buttons kAllEnabled{true, true, true};
constexpr Buttons kOnlyExit{false, false, true};       // the drive cannot be upgraded
constexpr Buttons kUpgradeAndExit{false, true, true};  // a new run may start

void SetButtons(DialogWindow& window, Buttons buttons) {
    window.EnableItem(kBrowseButton, buttons.browse);
    window.EnableItem(kUpgradeButton, buttons.upgrade);
    window.EnableItem(kExitButton, buttons.exit);
}

// The buttons after each exit of the upgrade: a drive that can never be
// upgraded leaves only Exit; a failure of the moment leaves everything.
Buttons ButtonsAfter(UpgradeExit exit) {
    switch (exit) {
    case UpgradeExit::OpenFailed:
    case UpgradeExit::WrongImageSize:
    case UpgradeExit::NoImageMemory:
    case UpgradeExit::NoReadMemory:
        return kAllEnabled;
    case UpgradeExit::TypeUnknown:
    case UpgradeExit::NotDvdRomOnly:
    case UpgradeExit::RevisionMismatch:
        return kOnlyExit;
    case UpgradeExit::SumMismatch:
    case UpgradeExit::NoWarningText:
    case UpgradeExit::FirstNo:
    case UpgradeExit::SecondNo:
    case UpgradeExit::NotAsked:
    case UpgradeExit::Upgraded:
    case UpgradeExit::DownloadFailed:
    case UpgradeExit::Uncombined:
        break;
    }
    return kUpgradeAndExit;
}

// The record at the selector's index, remembered as the state's
// selectedDevice; null, with the status saying so, when none is chosen.
const DeviceRecord* TakeChosenDrive(DialogWindow& window, FirmwareState& state) {
    const DeviceRecord* chosen = state.devices.RecordAt(window.ComboGetCurSel(kDeviceSelector));
    if (chosen == nullptr) {
        window.SetItemText(kStatusLine, kNoDeviceText);
        return nullptr;
    }
    state.selectedDevice = chosen;
    return chosen;
}

// Runs the questions and the download on an open session.
UpgradeExit ConfirmAndDownload(DialogWindow& window, UpgradeSession& session, FirmwareState& state) {
    // Upgrade stays enabled unless an exit or the download disables it.
    window.EnableItem(kUpgradeButton, true);
    char warning[kConfirmationTextRoom] = {};
    const int loaded = window.LoadText(kConfirmationStringId, warning, kConfirmationTextRoom);
    // Whatever the loader reports, the text ends within the room.
    if (loaded > 0) warning[loaded < kConfirmationTextRoom ? loaded : kConfirmationTextRoom - 1] = '\0';
    if (const std::optional<UpgradeExit> refused = session.Confirm(loaded > 0 ? warning : nullptr)) return *refused;
    DownloadEnd end;
    return session.Download(state, end);
}

}  // namespace

bool UpgradeDialog::OnInitDialog() {
    DialogWindow& ui = gui();

    ui.SetWindowIcon(true, icon);
    ui.SetWindowIcon(false, icon);
    MessageText caption;
    ui.GetCaption(caption);
    caption.Append(kCaptionVersionSuffix);
    ui.SetCaption(caption.c_str());

    // Entry i shows record i: the operations use the selector's index as the
    // position in `state.devices`.
    for (std::int32_t i = 0; i < state.devices.Count(); ++i)
        ui.ComboAddString(kDeviceSelector, DeviceEntryText(*state.devices.RecordAt(i)).c_str());
    ui.ComboSetCurSel(kDeviceSelector, 0);
    if (state.devices.Count() == 1) ui.EnableItem(kDeviceSelector, false);

    const FirmwarePackage* package = services_.package;
    if (package == nullptr || package->isUncombined()) {
        ui.EnableItem(kUpgradeButton, false);
        ui.SetItemText(kStatusLine, kNeedCombineText);
    }

    state.progress = 0;
    ui.ProgressSetRange(kProgressBar, 0, 100);
    ui.ProgressSetPos(kProgressBar, state.progress);

    state.selectedDevice = nullptr;
    state.restartNeeded = 0;
    return true;
}

bool UpgradeDialog::OnCommand(int id) {
    switch (id) {
    case kIdOk:
    case kIdCancel:
    case kExitButton:
    case kUpgradeButton:
    case kSaveButton:
    case kBrowseButton:
        break;
    default:
        return false;
    }

    // Message boxes and the file dialog have no owner window, so the dialog
    // still takes clicks, Enter, Escape and the close box while a command
    // waits for the user. A command that arrives then is dropped: Escape
    // must not end the dialog under a running upgrade, and a second click on
    // Exit must not stack a second restart question.
    if (commandRunning_) return true;
    commandRunning_ = true;
    if (id == kIdOk || id == kIdCancel || id == kExitButton)
        OnExit();
    else if (operations_ != nullptr && id == kUpgradeButton)
        RunUpgradeCommand(gui(), *operations_, state);
    else if (operations_ != nullptr && id == kSaveButton)
        RunSaveCommand(gui(), *operations_, state);
    else if (operations_ != nullptr)
        RunBrowseCommand(gui(), *operations_, state);
    commandRunning_ = false;
    return true;
}

bool UpgradeDialog::OnPaint() {
    DialogWindow& ui = gui();
    if (!ui.IsIconic()) return false;

    PaintContext dc = ui.BeginPaint();
    ui.EraseIconBackground(dc);
    const int iconWidth = ui.IconWidth();
    const int iconHeight = ui.IconHeight();
    const ClientRect rect = ui.GetClientRect();
    const int x = CentredIconOrigin(rect.right - rect.left, iconWidth);
    const int y = CentredIconOrigin(rect.bottom - rect.top, iconHeight);
    ui.DrawIcon(dc, x, y, icon);
    ui.EndPaint(dc);
    return true;
}

void UpgradeDialog::OnExit() {
    if (state.restartNeeded == 0) {
        restartConfirmed = 0;
    } else {
        DialogWindow& ui = gui();
        char text[kRestartTextBufferSize] = {};
        int answer;
        if (ui.LoadText(kRestartPromptStringId, text, kRestartTextRoom) != 0) {
            answer = ui.ShowMessage(text, kRestartPromptCaption, kRestartPromptStyle);
        } else {
            answer = ui.ShowMessage(kRestartFallbackText, kRestartFallbackCaption, kRestartPromptStyle);
        }
        restartConfirmed = answer == kAnswerOk ? 1 : 0;
    }
    OnOK();
}

std::optional<UpgradeExit> RunUpgradeCommand(DialogWindow& window, const FirmwareContext& context,
                                             FirmwareState& state) {
    if (const std::optional<UpgradeExit> refused = CheckPackage(context)) {
        window.EnableItem(kUpgradeButton, false);
        return refused;
    }
    window.SetItemText(kStatusLine, kStartFlashingText);
    const DeviceRecord* drive = TakeChosenDrive(window, state);
    if (drive == nullptr) return std::nullopt;
    SetButtons(window, kNone);

    UpgradeSession session(context);
    const std::optional<UpgradeExit> refused = session.CheckDrive(*drive);
    const UpgradeExit exit = refused ? *refused : ConfirmAndDownload(window, session, state);
    switch (exit) {
    case UpgradeExit::Upgraded:
        // The download has enabled Upgrade at its end.
        state.restartNeeded = 1;
        window.EnableItem(kExitButton, true);
        break;
    case UpgradeExit::DownloadFailed:
        // The download's error text stays.
        window.EnableItem(kUpgradeButton, true);
        window.EnableItem(kExitButton, true);
        break;
    default:
        SetButtons(window, ButtonsAfter(exit));
        break;
    }
    return exit;
}

void RunSaveCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state) {
    window.SetItemText(kStatusLine, "Save Firmware...");
    const DeviceRecord* drive = TakeChosenDrive(window, state);
    if (drive == nullptr) return;
    // Disabled for the whole save, in this order, and enabled again in the
    // same order whichever way it ends.
    SetButtons(window, kNone);
    SaveFirmware(context, state, *drive);
    SetButtons(window, kAllEnabled);
}

void RunBrowseCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state) {
    if (!BrowseFirmwareFile(context, state)) return;
    window.SetItemText(kPathField, state.firmwarePath.c_str());
    window.EnableItem(kUpgradeButton, true);
    window.SetItemText(kStatusLine, "Select Firmware or Click Upgrade to Upgrade...");
}
