#include "firmware/upgrade_procedure.h"

#include <cstring>

#include "firmware/block_download.h"
#include "firmware/byte_sum.h"
#include "firmware/revision_check.h"
#include "firmware/selected_device.h"
#include "firmware/status_report.h"
#include "firmware/status_text.h"

namespace {

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
    UpgradeRun(const FirmwareContext& context, FirmwareState& state)
        : context_(context),
          state_(state),
          port_(context.port),
          transport_(context.transport),
          image_(context.memory),
          readBuffer_(context.memory) {}

    void Run(const FirmwarePackage& package);

private:
    // Closes the device when open, releases the buffers this run took,
    // shows `status` (null: the status stays as it is) and sets the three
    // commands.
    void Exit(const char* status, Buttons buttons);
    // Reports `check` as failed with `status` and exits with it.
    void FailCheck(UpgradeCheck check, const char* status, Buttons buttons);
    void SetButtons(Buttons buttons);
    void CloseAndRelease();
    // Loads the confirmation text; false when the string is missing.
    bool LoadConfirmation(char (&text)[kConfirmationTextRoom]);
    bool UserConfirms(Question question, const char* text);

    const FirmwareContext& context_;
    FirmwareState& state_;
    OperationsPort& port_;
    ScsiTransport& transport_;
    bool deviceOpen_ = false;
    // The working copy of the image that is sent, and the read buffer the
    // run reserves beside it.
    OwnedBuffer image_;
    OwnedBuffer readBuffer_;
};

void UpgradeRun::Run(const FirmwarePackage& package) {
    ReportStatus(context_, kStartFlashingText);

    const DeviceRecord* selected = TakeSelectedDevice(context_, state_);
    if (selected == nullptr) return;

    SetButtons({false, false, false});

    if (!transport_.Open(*selected)) {
        // Exit A: nothing was opened.
        ReportStatus(context_, OpenDeviceFailedText(*selected).c_str());
        SetButtons(kAllEnabled);
        return;
    }
    deviceOpen_ = true;

    if (!transport_.ModeSense())
        return FailCheck(UpgradeCheck::DvdRomOnly, "Can't recognize the drive type!!", kOnlyExit);  // B
    if (transport_.dvdRomOnly == 0)
        return FailCheck(UpgradeCheck::DvdRomOnly, "This F/W is only for DVD-ROM!", kOnlyExit);  // C
    port_.CheckEnded(UpgradeCheck::DvdRomOnly, true, nullptr);

    const std::uint32_t imageSize = transport_.current.imageSize;
    if (imageSize != kImageSize) {  // D: the first text stays
        port_.CheckEnded(UpgradeCheck::ImageSize, false, "the drive does not take an image of 131,072 bytes");
        return Exit(nullptr, kAllEnabled);
    }
    port_.CheckEnded(UpgradeCheck::ImageSize, true, nullptr);

    if (!image_.Allocate(imageSize)) return Exit(kWriteMemoryFailedText, kAllEnabled);  // E
    if (!readBuffer_.Allocate(imageSize)) return Exit("Memory (Read) Initialization Failed!!", kAllEnabled);  // F

    port_.EnableCommand(Command::Upgrade, true);

    std::memcpy(image_.get(), package.image(), imageSize);

    const RevisionText driveRevision = MakeRevisionText(transport_.current.productRevision);
    if (!RevisionMatches(driveRevision, package.revisionTag(), context_.versionCheckMask))
        return FailCheck(UpgradeCheck::Revision, "F/W Version Not Match", kOnlyExit);  // G
    port_.CheckEnded(UpgradeCheck::Revision, true, nullptr);

    // The sum of the working copy, the one that is sent, not of the package.
    const std::uint16_t computedSum = byteSum16(image_.get(), imageSize);
    const std::uint16_t expectedSum = package.expectedSum();
    if (computedSum != expectedSum) {
        MessageText text;
        text.Format("Check sum not match!! (%04X / %04X)", static_cast<unsigned>(computedSum),
                    static_cast<unsigned>(expectedSum));
        return FailCheck(UpgradeCheck::ImageSum, text.c_str(), kUpgradeAndExit);  // H
    }
    port_.CheckEnded(UpgradeCheck::ImageSum, true, nullptr);

    // The face's own work with the checked drive (ktxflash's backup) may end the run here.
    if (!port_.ChecksPassed()) return Exit(nullptr, kUpgradeAndExit);

    char confirmation[kConfirmationTextRoom] = {};
    if (!LoadConfirmation(confirmation)) return Exit("Load String Error!!", kUpgradeAndExit);  // I
    if (!UserConfirms(Question::UpgradeWarning, confirmation)) return Exit("User cancel!!", kUpgradeAndExit);  // J
    if (!UserConfirms(Question::FlashingStart, "Flashing Start!\nPLEASE DON'T TURN OFF THE POWER!"))
        return Exit("User cancel!!", kUpgradeAndExit);  // K

    const int downloaded = RunBlockDownload(context_, state_, image_.get());
    CloseAndRelease();
    if (downloaded != 0) {
        // L: the download has enabled the Upgrade button at its end.
        ReportStatus(context_, kUpgradeSuccessfulText);
        state_.restartNeeded = 1;
        port_.EnableCommand(Command::Exit, true);
    } else {
        // M: the download's error text stays.
        port_.EnableCommand(Command::Upgrade, true);
        port_.EnableCommand(Command::Exit, true);
    }
}

void UpgradeRun::Exit(const char* status, Buttons buttons) {
    CloseAndRelease();
    if (status != nullptr) ReportStatus(context_, status);
    SetButtons(buttons);
}

void UpgradeRun::FailCheck(UpgradeCheck check, const char* status, Buttons buttons) {
    port_.CheckEnded(check, false, status);
    Exit(status, buttons);
}

void UpgradeRun::SetButtons(Buttons buttons) {
    port_.EnableCommand(Command::Browse, buttons.browse);
    port_.EnableCommand(Command::Upgrade, buttons.upgrade);
    port_.EnableCommand(Command::Exit, buttons.exit);
}

void UpgradeRun::CloseAndRelease() {
    if (deviceOpen_) {
        transport_.Close();
        deviceOpen_ = false;
    }
    if (transport_.requestAbandoned()) {
        // A request the transport gave up on may still be completed into
        // these buffers: they are kept, not freed, until the program ends.
        image_.Abandon();
        readBuffer_.Abandon();
    }
    image_.Release();
    readBuffer_.Release();
}

bool UpgradeRun::LoadConfirmation(char (&text)[kConfirmationTextRoom]) {
    const int loaded = port_.LoadUpgradeWarning(text, kConfirmationTextRoom);
    if (loaded <= 0) return false;
    // Whatever the loader reports, the text ends within the room.
    text[loaded < kConfirmationTextRoom ? loaded : kConfirmationTextRoom - 1] = '\0';
    return true;
}

bool UpgradeRun::UserConfirms(Question question, const char* text) {
    // Only an explicit Yes goes on: a question that could not be put to
    // the user is no consent. A face offers No as the default.
    return port_.Ask(question, text, Answer::No) == Answer::Yes;
}

}  // namespace

void RunUpgrade(const FirmwareContext& context, FirmwareState& state) {
    // A template without a combined image carries no firmware (its "image"
    // is zeros whose sum matches the sum field the marker text reads as):
    // refuse it before anything reaches the drive.
    const FirmwarePackage* package = context.package;
    if (package == nullptr || package->isUncombined()) {
        ReportStatus(context, kNeedCombineText);
        context.port.EnableCommand(Command::Upgrade, false);
        return;
    }

    UpgradeRun(context, state).Run(*package);
}
