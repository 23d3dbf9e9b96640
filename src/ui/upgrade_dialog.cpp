#include "upgrade_dialog.h"

#include <cstring>

#include "firmware_commands.h"
#include "firmware_package.h"

namespace {

// The tool's own version, shown after the template's caption.
constexpr char kCaptionVersionSuffix[] = " 1.01";
constexpr char kNeedCombineText[] = "Need Combine firmware first !!";

// The restart question on leaving after a successful upgrade: string 1, or
// a fixed text when the string cannot be loaded.
constexpr unsigned kRestartPromptStringId = 1;
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
std::string FieldText(const char (&field)[N]) {
    const void* end = std::memchr(field, '\0', N);
    const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N;
    return std::string(field, length);
}

// One selector entry: "<vendor> <product> <revision> Version <major>.<minor>".
std::string DeviceEntryText(const DeviceRecord& record) {
    return FieldText(record.vendorId) + " " + FieldText(record.productId) + " " +
           FieldText(record.productRevision) + " Version " + std::to_string(record.versionMajor) + "." +
           std::to_string(record.versionMinor);
}

// Where a minimised window's icon goes along one axis: centred, with the
// rounding term, the division truncating toward zero.
int CentredIconOrigin(int clientExtent, int iconExtent) { return (clientExtent - iconExtent + 1) / 2; }

// Marks a command as running for the lifetime of the object.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

UpgradeDialog::UpgradeDialog(const DialogServices& services) : services_(services) {
    icon = gui().LoadAppIcon(kAppIconId);
}

UpgradeDialog::~UpgradeDialog() = default;

bool UpgradeDialog::OnInitDialog() {
    GuiContract& ui = gui();

    ui.SetWindowIcon(true, icon);
    ui.SetWindowIcon(false, icon);
    ui.SetCaption(ui.GetCaption() + kCaptionVersionSuffix);

    // Entry i shows record i: the commands use the selector's index as the
    // position in `devices`.
    for (std::int32_t i = 0; i < devices.Count(); ++i) {
        ui.ComboAddString(kDeviceSelector, DeviceEntryText(*devices.RecordAt(i)));
    }
    ui.ComboSetCurSel(kDeviceSelector, 0);
    if (devices.Count() == 1) ui.EnableItem(kDeviceSelector, false);

    const FirmwarePackage* package = services_.package;
    if (package == nullptr || package->isUncombined()) {
        ui.EnableItem(kUpgradeButton, false);
        ui.SetItemText(kStatusLine, kNeedCombineText);
    }

    progress = 0;
    ui.ProgressSetRange(kProgressBar, 0, 100);
    ui.ProgressSetPos(kProgressBar, progress);

    selectedDevice = nullptr;
    restartNeeded = 0;
    return true;
}

void UpgradeDialog::DoDataExchange(bool toControls) {
    if (toControls) {
        gui().SetItemText(kPathField, firmwarePath);
    } else {
        firmwarePath = gui().GetItemText(kPathField);
    }
}

bool UpgradeDialog::OnCommand(int id) {
    void (*handler)(UpgradeDialog&) = nullptr;
    switch (id) {
        case kIdOk:
        case kIdCancel:
        case kExitButton:
            break;
        case kUpgradeButton:
            handler = RunUpgradeCommand;
            break;
        case kSaveButton:
            handler = RunSaveCommand;
            break;
        case kBrowseButton:
            handler = RunBrowseCommand;
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
    RunningFlag running(commandRunning_);

    if (handler != nullptr) {
        handler(*this);
    } else {
        OnExit();
    }
    return true;
}

bool UpgradeDialog::OnPaint() {
    GuiContract& ui = gui();
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

void UpgradeDialog::OnOK() {
    DoDataExchange(false);
    gui().EndDialog(kIdOk);
}

void UpgradeDialog::OnExit() {
    if (restartNeeded == 0) {
        restartConfirmed = 0;
    } else {
        GuiContract& ui = gui();
        char text[kRestartTextBufferSize] = {};
        int answer;
        if (ui.LoadString(kRestartPromptStringId, text, kRestartTextRoom) != 0) {
            answer = ui.MessageBox(text, kRestartPromptCaption, kRestartPromptStyle);
        } else {
            answer = ui.MessageBox(kRestartFallbackText, kRestartFallbackCaption, kRestartPromptStyle);
        }
        restartConfirmed = answer == kAnswerOk ? 1 : 0;
    }
    OnOK();
}
