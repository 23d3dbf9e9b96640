#include "upgrade_procedure.h"

#include <cstring>

#include "block_download.h"
#include "buffer_allocator.h"
#include "byte_sum.h"
#include "command_guard.h"
#include "firmware_package.h"
#include "revision_check.h"
#include "scsi_transport.h"
#include "selected_device.h"
#include "status_text.h"
#include "upgrade_dialog.h"

namespace {

// Both confirmations: Yes and No with the warning icon (0x34).
constexpr unsigned kConfirmationBoxStyle = kMbYesNo | kMbIconWarning;

struct Buttons {
    bool browse, upgrade, exit;
};
constexpr Buttons kAllEnabled{true, true, true};
constexpr Buttons kOnlyExit{false, false, true};        // the drive cannot be upgraded
constexpr Buttons kUpgradeAndExit{false, true, true};   // a new run may start

// One run of the procedure: what it has opened and taken, so that every
// exit gives back exactly that.
class UpgradeRun {
public:
    UpgradeRun(UpgradeDialog& dialog, ScsiTransport& transport)
        : dialog_(dialog), transport_(transport), gui_(dialog.gui()), memory_(*dialog.services().memory) {}

    void Run(const FirmwarePackage& package, std::uint8_t versionCheckMask);

private:
    // Closes the device when open, releases the buffers this run took,
    // writes `status` (null: the status line keeps its text) and sets the
    // three buttons.
    void Exit(const char* status, Buttons buttons);
    void Exit(const std::string& status, Buttons buttons) { Exit(status.c_str(), buttons); }
    void SetButtons(Buttons buttons);
    void CloseAndRelease();
    // Loads the confirmation text; empty when the string is missing.
    std::string ConfirmationText();
    bool UserConfirms(const std::string& text);

    UpgradeDialog& dialog_;
    ScsiTransport& transport_;
    GuiContract& gui_;
    BufferAllocator& memory_;
    bool deviceOpen_ = false;
    bool ownsImageBuffer_ = false;
    bool ownsReadBuffer_ = false;
};

void UpgradeRun::Run(const FirmwarePackage& package, std::uint8_t versionCheckMask) {
    gui_.SetItemText(kStatusLine, "Start Flashing...\r\nDon't turn off the power!!");

    const DeviceRecord* selected = TakeSelectedDevice(dialog_, gui_);
    if (selected == nullptr) return;

    SetButtons({false, false, false});

    if (!transport_.Open(*selected)) {
        // Exit A: nothing was opened.
        gui_.SetItemText(kStatusLine, OpenDeviceFailedText(*selected));
        SetButtons(kAllEnabled);
        return;
    }
    deviceOpen_ = true;

    if (!transport_.ModeSense()) return Exit("Can't recognize the drive type!!", kOnlyExit);  // B
    if (transport_.dvdRomOnly == 0) return Exit("This F/W is only for DVD-ROM!", kOnlyExit);  // C

    const std::uint32_t imageSize = transport_.current.imageSize;
    if (imageSize != kImageSize) return Exit(nullptr, kAllEnabled);  // D: the first text stays

    dialog_.imageBuffer = memory_.Allocate(imageSize);
    ownsImageBuffer_ = dialog_.imageBuffer != nullptr;
    if (!ownsImageBuffer_) return Exit("Memory (Write) Initialization Failed!!", kAllEnabled);  // E
    std::memset(dialog_.imageBuffer, 0, imageSize);

    dialog_.readBuffer = memory_.Allocate(imageSize);
    ownsReadBuffer_ = dialog_.readBuffer != nullptr;
    if (!ownsReadBuffer_) return Exit("Memory (Read) Initialization Failed!!", kAllEnabled);  // F
    std::memset(dialog_.readBuffer, 0, imageSize);

    gui_.EnableItem(kUpgradeButton, true);

    std::memcpy(dialog_.imageBuffer, package.image(), imageSize);

    const RevisionText driveRevision = MakeRevisionText(transport_.current.productRevision);
    if (!RevisionMatches(driveRevision, package.revisionTag(), versionCheckMask))
        return Exit("F/W Version Not Match", kOnlyExit);  // G

    // The sum of the working copy, the one that is sent, not of the package.
    const std::uint16_t computedSum = byteSum16(dialog_.imageBuffer, imageSize);
    const std::uint16_t expectedSum = package.expectedSum();
    if (computedSum != expectedSum) {
        return Exit(FormatText("Check sum not match!! (%04X / %04X)", static_cast<unsigned>(computedSum),
                               static_cast<unsigned>(expectedSum)),
                    kUpgradeAndExit);  // H
    }

    const std::string confirmation = ConfirmationText();
    if (confirmation.empty()) return Exit("Load String Error!!", kUpgradeAndExit);  // I
    if (!UserConfirms(confirmation)) return Exit("User cancel!!", kUpgradeAndExit);  // J
    if (!UserConfirms("Flashing Start!\nPLEASE DON'T TURN OFF THE POWER!"))
        return Exit("User cancel!!", kUpgradeAndExit);  // K

    const int downloaded = RunBlockDownload(dialog_, transport_);
    CloseAndRelease();
    if (downloaded != 0) {
        // L: the download has enabled the Upgrade button at its end.
        gui_.SetItemText(kStatusLine, "Upgrade Firmware Successful!!");
        dialog_.restartNeeded = 1;
        gui_.EnableItem(kExitButton, true);
    } else {
        // M: the download's error text stays.
        gui_.EnableItem(kUpgradeButton, true);
        gui_.EnableItem(kExitButton, true);
    }
}

void UpgradeRun::Exit(const char* status, Buttons buttons) {
    CloseAndRelease();
    if (status != nullptr) gui_.SetItemText(kStatusLine, status);
    SetButtons(buttons);
}

void UpgradeRun::SetButtons(Buttons buttons) {
    gui_.EnableItem(kBrowseButton, buttons.browse);
    gui_.EnableItem(kUpgradeButton, buttons.upgrade);
    gui_.EnableItem(kExitButton, buttons.exit);
}

void UpgradeRun::CloseAndRelease() {
    if (deviceOpen_) {
        transport_.Close();
        deviceOpen_ = false;
    }
    if (transport_.requestAbandoned()) {
        // A request the transport gave up on may still be completed into
        // these buffers: they are kept, not freed, until the program ends.
        if (ownsImageBuffer_) dialog_.imageBuffer = nullptr;
        if (ownsReadBuffer_) dialog_.readBuffer = nullptr;
        ownsImageBuffer_ = false;
        ownsReadBuffer_ = false;
    }
    if (ownsImageBuffer_) {
        memory_.Release(dialog_.imageBuffer);
        dialog_.imageBuffer = nullptr;
        ownsImageBuffer_ = false;
    }
    if (ownsReadBuffer_) {
        memory_.Release(dialog_.readBuffer);
        dialog_.readBuffer = nullptr;
        ownsReadBuffer_ = false;
    }
}

std::string UpgradeRun::ConfirmationText() {
    char text[kConfirmationTextRoom] = {};
    const int loaded = gui_.LoadString(kConfirmationStringId, text, kConfirmationTextRoom);
    if (loaded <= 0) return {};
    return std::string(text, static_cast<std::size_t>(loaded < kConfirmationTextRoom ? loaded
                                                                                     : kConfirmationTextRoom - 1));
}

bool UpgradeRun::UserConfirms(const std::string& text) {
    // Only an explicit No cancels.
    return gui_.MessageBox(text, "WARNING", kConfirmationBoxStyle) != kAnswerNo;
}

}  // namespace

void RunUpgrade(UpgradeDialog& dialog, ScsiTransport& transport, const FirmwarePackage* package,
                std::uint8_t versionCheckMask) {
    CommandGuard guard(dialog);
    if (!guard.acquired()) return;

    // A template without a combined image carries no firmware (its "image"
    // is zeros whose sum matches the sum field the marker text reads as):
    // refuse it before anything reaches the drive.
    if (package == nullptr || package->isUncombined()) {
        dialog.gui().SetItemText(kStatusLine, "Need Combine firmware first !!");
        dialog.gui().EnableItem(kUpgradeButton, false);
        return;
    }

    UpgradeRun(dialog, transport).Run(*package, versionCheckMask);
}
