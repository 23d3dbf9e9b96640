#include "app/terminal/flash_program.h"

#include <array>
#include <cstring>

#include "app/terminal/backup_file_name.h"
#include "app/terminal/command_log.h"
#include "app/terminal/drive_model_check.h"
#include "app/terminal/firmware_file_writer.h"
#include "app/terminal/flash_command_line.h"
#include "ktx_release_version.h"
#include "app/terminal/image_file_package.h"
#include "app/terminal/json_report.h"
#include "firmware/block_comparison.h"
#include "firmware/firmware_context.h"
#include "firmware/firmware_readout.h"
#include "firmware/package_description.h"
#include "firmware/status_report.h"
#include "firmware/status_text.h"
#include "firmware/upgrade_procedure.h"
#include "device/sense_text.h"
#include "platform/display_text.h"
#include "platform/local_time.h"
#include "platform/buffer_allocator.h"
#include "platform/replacing_file_service.h"

namespace terminal {
namespace {

constexpr char kRestartNote[] =
    "Restart the PC (or power-cycle the drive) before using the drive: it runs the new firmware only after that.";

// How the work ktxflash does before the questions ended the upgrade.
enum class CheckedDriveOutcome {
    GoOn,          // the questions and the download follow
    AlreadyEqual,  // the drive holds the image: nothing to do, exit 0
    Failed,        // the read or the backup failed: exit 1, nothing sent
};

class FlashRun : private CheckedDriveStep {
public:
    FlashRun(const FlashCommandLine& line, FlashServices& services)
        : line_(line),
          services_(services),
          // With --json the text for people goes to standard error.
          textOut_(line.json ? services.err : services.out),
          face_(textOut_, services.in, line.json ? false : services.outIsTerminal,
                TerminalAnswers{line.yes, line.dryRun, !services.inIsTerminal},
                TerminalGuards{services.system, services.interrupts}),
          commandLog_(face_, services.system),
          json_(services.out, line.verbose ? &commandLog_ : nullptr),
          package_(services.package),
          imageBlock_(services.memory) {
        ScsiTransport& transport = services.devices.transport();
        if (line.json)
            transport.SetCommandObserver(&json_);
        else if (line.verbose)
            transport.SetCommandObserver(&commandLog_);
    }
    ~FlashRun() { services_.devices.transport().SetCommandObserver(nullptr); }
    FlashRun(const FlashRun&) = delete;
    FlashRun& operator=(const FlashRun&) = delete;

    int List();
    int Info();
    int Upgrade();
    int Save();
    int Verify();
    // With --image: makes the image file the run's package; false (with the
    // error printed) when it cannot.
    bool LoadImage();
    // With --json: the first object, naming the action.
    void Start(const char* action);
    // With --json: the last object, the outcome; returns `exitStatus`.
    int Finish(int exitStatus);

private:
    // The backup and the comparison with the image, once every check of
    // the upgrade has passed (the drive is open).
    bool Run() override;
    void CheckEnded(UpgradeCheck check, bool passed, const char* text) override {
        ReportCheck(UpgradeCheckName(check), passed, text);
    }
    // Writes the drive's firmware in `image` as the backup; false (with
    // the error printed) when it could not.
    bool WriteBackup(const DeviceRecord& drive, const std::uint8_t* image);
    // Refuses a drive that is not the KTX7724R05 (unless --allow-other-model)
    // or a process that may not send firmware commands (a warning for a dry
    // run); false when the upgrade stops here.
    bool UpgradeMayStart(const DeviceRecord& drive);
    // "ktxflash: " then `subject` (escaped; may be null) and `text`, on err.
    void Error(const char* subject, const char* text);
    // Finds the DEVICE into the state; false (with the error printed) when it is not there.
    bool FindDevice(FirmwareState& state);
    // One line for the drive; with `probeType`, its drive type from MODE SENSE.
    void ShowDrive(const DeviceRecord& record, bool probeType);
    // After a failure: the last command sent and what the drive and the
    // system said of it, when it was a command that failed.
    void ExplainLastCommand();
    // The package ktxflash carries, in one line.
    void ShowPackage();
    // The operations' context: this run's services, the terminal's face and `files`.
    FirmwareContext Context(FileService& files);
    // Reads the open drive's whole firmware into `image` (taken here);
    // false, with the read's status shown, when it failed.
    bool ReadFirmware(OwnedBuffer& image);
    // Opens `drive`, reads its firmware into `image` and closes it again.
    bool OpenAndReadFirmware(const DeviceRecord& drive, OwnedBuffer& image);

    // A check of the upgrade passed or failed, as --json reports it.
    void ReportCheck(const char* name, bool passed, const char* text) {
        if (line_.json) json_.Check(name, passed, text);
    }
    // Prints a warning (a dry run passes where the upgrade would stop).
    void Warn(const char* text);

    const FlashCommandLine& line_;
    FlashServices& services_;
    std::FILE* textOut_;
    TerminalFace face_;
    CommandLog commandLog_;
    JsonReport json_;
    // The package the run works with: the embedded one, or --image's.
    FirmwarePackage package_;
    OwnedBuffer imageBlock_;
    // The drive the upgrade works on, while it runs.
    const DeviceRecord* upgradeDrive_ = nullptr;
    CheckedDriveOutcome checkedDriveOutcome_ = CheckedDriveOutcome::GoOn;
};

void FlashRun::Error(const char* subject, const char* text) {
    MessageText message;
    message.Assign("ktxflash: ");
    if (subject != nullptr) {
        AppendDisplayText(message, subject);
        message.Append(": ");
    }
    message.Append(text);
    if (line_.json) json_.Error(subject, text);
    std::fputs(message.c_str(), services_.err);
    std::fputc('\n', services_.err);
    std::fflush(services_.err);
}

FirmwareContext FlashRun::Context(FileService& files) {
    return FirmwareContext{face_, services_.system, files, services_.memory, services_.devices.transport(),
                           &package_, package_.versionCheckMask()};
}

void FlashRun::ShowDrive(const DeviceRecord& record, bool probeType) {
    MessageText text;
    services_.devices.AppendName(record, text);
    text.Append("  ");
    AppendDisplayText(text, record.vendorId);
    text.Append("  ");
    AppendDisplayText(text, record.productId);
    text.Append("  ");
    AppendDisplayText(text, record.productRevision, std::strlen(record.productRevision));
    int dvdRomOnly = -1;
    if (probeType) {
        ScsiTransport& transport = services_.devices.transport();
        if (transport.Open(record) && transport.ModeSense()) {
            dvdRomOnly = transport.dvdRomOnly != 0 ? 1 : 0;
            text.Append(dvdRomOnly != 0 ? "  DVD-ROM only" : "  not DVD-ROM only");
        } else {
            text.Append("  drive type unknown");
        }
        transport.Close();
    }
    face_.PrintLine(text.c_str());
    if (line_.json) {
        PathText name;
        services_.devices.AppendName(record, name);
        json_.Drive(name.c_str(), record, dvdRomOnly);
    }
}

void FlashRun::ShowPackage() {
    const FirmwarePackage& package = package_;
    if (line_.json) json_.Package(package);
    if (package.isUncombined()) return;
    const std::array<char, 5> tag = package.revisionTag();
    MessageText text;
    text.Assign("Package: revision tag \"");
    AppendDisplayText(text, tag.data(), std::strlen(tag.data()));
    text.AppendFormat("\", mask 0x%02X, image sum %04X", static_cast<unsigned>(package.versionCheckMask()),
                      static_cast<unsigned>(package.expectedSum()));
    face_.PrintLine(text.c_str());
}

void FlashRun::ExplainLastCommand() {
    const CommandReport& report = services_.devices.transport().lastCommand();
    if (report.good || report.cdbLength == 0) return;
    MessageText text;
    text.Assign("  the last command: ");
    AppendCommandBytes(report, text);
    face_.PrintLine(text.c_str());
    text.Assign("  its outcome: ");
    AppendCommandOutcome(report, text);
    face_.PrintLine(text.c_str());
}

int FlashRun::List() {
    DeviceList list;
    MessageText why;
    services_.devices.ListAll(list, why);
    if (list.Count() == 0) {
        face_.PrintLine(kNoDeviceText);
        if (!why.empty()) Error(nullptr, why.c_str());
        return kExitFailed;
    }
    for (int i = 0; i < list.Count(); ++i) ShowDrive(*list.RecordAt(i), true);
    return kExitSuccess;
}

int FlashRun::Info() {
    const FirmwarePackage& package = package_;
    if (line_.json) json_.Package(package);
    if (package.isUncombined()) {
        face_.PrintLine("ktxflash: uncombined template (no firmware; combine it with ktxcombine)");
        return kExitSuccess;
    }
    PackageDescription text;
    text.Assign(line_.imageFile != nullptr ? "ktxflash: package made of the image file\n"
                                           : "ktxflash: combined package\n");
    DescribeCombinedPackage(package, text);
    std::fputs(text.c_str(), textOut_);
    std::fflush(textOut_);
    return kExitSuccess;
}

bool FlashRun::FindDevice(FirmwareState& state) {
    MessageText why;
    if (services_.devices.Find(line_.device, state.devices, why)) return true;
    Error(line_.device, why.c_str());
    return false;
}

bool FlashRun::ReadFirmware(OwnedBuffer& image) {
    ScsiTransport& transport = services_.devices.transport();
    if (!image.Allocate(transport.current.imageSize)) {
        face_.ShowStatus(kWriteMemoryFailedText);
        return false;
    }
    ReplacingFileService files;  // the read writes no file
    FirmwareState scratch;
    const bool read = ReadOutFirmware(Context(files), scratch, image.get()) == 1;
    // A request the transport gave up on may still be completed into the
    // buffer: it is then kept, not freed, until the program ends.
    if (transport.requestAbandoned()) image.Abandon();
    return read && !transport.requestAbandoned();
}

bool FlashRun::OpenAndReadFirmware(const DeviceRecord& drive, OwnedBuffer& image) {
    ScsiTransport& transport = services_.devices.transport();
    transport.ForgetLastCommand();
    if (!transport.Open(drive)) {
        ReplacingFileService files;
        ReportStatus(Context(files), OpenDeviceFailedText(drive).c_str());
        return false;
    }
    const bool read = ReadFirmware(image);
    transport.Close();
    return read;
}

bool FlashRun::UpgradeMayStart(const DeviceRecord& drive) {
    MessageText name;
    services_.devices.AppendName(drive, name);
    if (!IsKtxDrive(drive)) {
        MessageText text;
        text.Assign("the drive reports ");
        AppendReportedModel(drive, text);
        if (!line_.allowOtherModel) {
            text.Append(", not vendor \"TAVRINE\", product \"KTX7724R05\"; --allow-other-model flashes it anyway");
            ReportCheck("model", false, text.c_str());
            Error(name.c_str(), text.c_str());
            return false;
        }
        text.Append(": flashed as a KTX7724R05 (--allow-other-model)");
        ReportCheck("model", false, text.c_str());
        face_.PrintLine(text.c_str());
    } else {
        ReportCheck("model", true, nullptr);
    }
    if (services_.power != nullptr && !line_.ignorePower) {
        const PowerStatus power = services_.power->Read();
        if (PowerTooLowToFlash(power)) {
            MessageText text;
            text.Format("the system runs on battery with %d%% left (less than %d%%): connect it to the mains, or "
                        "--ignore-power flashes anyway",
                        power.percent, kLowestChargeToFlash);
            ReportCheck("power", false, text.c_str());
            if (!line_.dryRun) {
                Error(nullptr, text.c_str());
                return false;
            }
            Warn(text.c_str());
        } else {
            ReportCheck("power", true, nullptr);
        }
    }
    MessageText why;
    const bool mayFlash = services_.devices.MaySendFirmware(drive, why);
    ReportCheck("rights", mayFlash, mayFlash ? nullptr : why.c_str());
    if (!mayFlash) {
        if (!line_.dryRun) {
            Error(nullptr, why.c_str());
            return false;
        }
        Warn(why.c_str());
    }
    return true;
}

void FlashRun::Warn(const char* text) {
    MessageText warning;
    warning.Assign("Warning: ");
    warning.Append(text);
    face_.PrintLine(warning.c_str());
}

bool FlashRun::WriteBackup(const DeviceRecord& drive, const std::uint8_t* image) {
    PathText name;
    if (line_.backupFile != nullptr) {
        name.Assign(line_.backupFile);
    } else {
        LocalTime now;
        if (!ReadLocalTime(now)) {
            Error(nullptr, "the system did not tell the time the backup is named by; name it with --backup FILE");
            return false;
        }
        FormatBackupFileName(drive, now, name);
    }
    const FileWriteOutcome written = WriteFirmwareFile(name.c_str(), image, kImageSize, false);
    if (written != FileWriteOutcome::Written) {
        MessageText text;
        text.Format("%s; the upgrade stops before any firmware command", FileWriteOutcomeText(written));
        Error(line_.backupFile != nullptr ? line_.backupFile : name.c_str(), text.c_str());
        return false;
    }
    MessageText text;
    text.Assign("Backup of the drive's firmware: ");
    AppendDisplayText(text, name.c_str());
    face_.PrintLine(text.c_str());
    if (line_.json) json_.Backup(name.c_str(), nullptr);
    return true;
}

bool FlashRun::Run() {
    // The NT family: the drive's volume locked and dismounted for the
    // download where Windows allows it; said where it does not. A dry run
    // leaves the volume alone.
    switch (line_.dryRun ? ScsiTransport::VolumeLock::NotApplicable : services_.devices.transport().LockVolume()) {
    case ScsiTransport::VolumeLock::NotApplicable:
        break;
    case ScsiTransport::VolumeLock::Locked:
        face_.PrintLine("Locked and dismounted the drive's volume for the download.");
        ReportCheck("volume-lock", true, nullptr);
        break;
    case ScsiTransport::VolumeLock::Refused:
        Warn("Windows did not let ktxflash lock the drive's volume: another program may be using the drive; "
             "close it before the download");
        ReportCheck("volume-lock", false, "the volume could not be locked");
        break;
    }
    const bool compares = !line_.allowReinstall;
    const bool backs = !line_.noBackup;
    if (line_.noBackup) {
        face_.PrintLine("No backup of the drive's firmware (--no-backup).");
        if (line_.json) json_.Backup(nullptr, "--no-backup");
    }
    if (!compares && !backs) return true;

    OwnedBuffer drive(services_.memory);
    face_.PrintLine(backs ? "Reading the drive's firmware for the backup..." : "Reading the drive's firmware...");
    if (!ReadFirmware(drive)) {
        ExplainLastCommand();
        Error(nullptr, "the drive's firmware could not be read; the upgrade stops before any firmware command");
        checkedDriveOutcome_ = CheckedDriveOutcome::Failed;
        return false;
    }
    const bool equal = compares && CompareBlocks(drive.get(), package_.image()).allSame();
    ReportCheck("differs", !equal, equal ? "the drive's firmware already equals the image" : nullptr);
    if (equal) {
        face_.PrintLine(
            "The drive's firmware already equals the image: not flashed again (--allow-reinstall flashes it anyway).");
        checkedDriveOutcome_ = CheckedDriveOutcome::AlreadyEqual;
        return false;
    }
    if (!backs) return true;
    if (line_.dryRun && line_.backupFile == nullptr) {
        face_.PrintLine("Dry run: the drive's firmware was read as the backup reads it; no file written "
                        "(--backup FILE writes one).");
        if (line_.json) json_.Backup(nullptr, "--dry-run");
        return true;
    }
    if (!WriteBackup(*upgradeDrive_, drive.get())) {
        checkedDriveOutcome_ = CheckedDriveOutcome::Failed;
        return false;
    }
    return true;
}

int FlashRun::Upgrade() {
    FirmwareState state;
    if (!FindDevice(state)) return kExitFailed;
    upgradeDrive_ = state.devices.RecordAt(0);
    ShowDrive(*upgradeDrive_, false);
    ShowPackage();
    if (!package_.isUncombined() && !UpgradeMayStart(*upgradeDrive_)) return kExitFailed;

    ReplacingFileService files;  // the upgrade writes no file
    const FirmwareContext context = Context(files);
    face_.SetCheckedDriveStep(this);
    services_.devices.transport().ForgetLastCommand();
    services_.devices.OpenExclusively(true);
    RunUpgrade(context, state);
    services_.devices.OpenExclusively(false);
    face_.SetCheckedDriveStep(nullptr);

    if (checkedDriveOutcome_ == CheckedDriveOutcome::AlreadyEqual) return kExitSuccess;
    if (checkedDriveOutcome_ == CheckedDriveOutcome::Failed) return kExitFailed;
    if (face_.problemShown() || state.restartNeeded == 0) ExplainLastCommand();
    if (face_.problemShown()) return kExitFailed;
    if (line_.dryRun && face_.dryRunStopped()) {
        face_.PrintLine(kDryRunStoppedText);
        return kExitSuccess;
    }
    if (state.restartNeeded == 0) return kExitFailed;
    face_.PrintLine(kRestartNote);
    MessageText verify;
    verify.Assign("After the restart, check what the drive runs with: ktxflash --verify ");
    AppendDisplayText(verify, line_.device);
    face_.PrintLine(verify.c_str());
    return kExitSuccess;
}

int FlashRun::Save() {
    // Never over an existing file without --force: looked at before the
    // drive is touched, and again when the file is put in place.
    PathText name;
    name.Assign(line_.saveFile);
    if (name.truncated()) {
        Error(line_.saveFile, FileWriteOutcomeText(FileWriteOutcome::NameTooLong));
        return kExitFailed;
    }
    if (!line_.force && FileIsThere(line_.saveFile)) {
        Error(line_.saveFile, "the file exists; add --force to replace it");
        return kExitFailed;
    }
    FirmwareState state;
    if (!FindDevice(state)) return kExitFailed;
    const DeviceRecord& drive = *state.devices.RecordAt(0);
    ShowDrive(drive, false);

    OwnedBuffer image(services_.memory);
    if (!OpenAndReadFirmware(drive, image)) {
        ExplainLastCommand();
        return kExitFailed;
    }
    const FileWriteOutcome written = WriteFirmwareFile(line_.saveFile, image.get(), kImageSize, line_.force);
    if (written != FileWriteOutcome::Written) {
        Error(line_.saveFile, written == FileWriteOutcome::Exists ? "the file exists; add --force to replace it"
                                                                  : FileWriteOutcomeText(written));
        return kExitFailed;
    }
    // Said only now that the file is in place.
    MessageText saved;
    saved.Assign("Saved the drive's firmware to ");
    AppendDisplayText(saved, line_.saveFile);
    saved.Append(".");
    face_.PrintLine(saved.c_str());
    return kExitSuccess;
}

int FlashRun::Verify() {
    if (package_.isUncombined()) {
        face_.PrintLine(kNeedCombineText);
        return kExitFailed;
    }
    FirmwareState state;
    if (!FindDevice(state)) return kExitFailed;
    const DeviceRecord& drive = *state.devices.RecordAt(0);
    ShowDrive(drive, false);
    ShowPackage();

    OwnedBuffer image(services_.memory);
    if (!OpenAndReadFirmware(drive, image)) {
        ExplainLastCommand();
        Error(line_.device, "the drive's firmware could not be read; nothing compared");
        return kExitFailed;
    }
    const BlockComparison comparison = CompareBlocks(image.get(), package_.image());
    for (std::size_t block = 0; block < package_layout::kBlockCount; ++block) {
        MessageText line;
        line.Format("block %u (0x%05X..0x%05X): %s", static_cast<unsigned>(block + 1),
                    static_cast<unsigned>(block * kBlockSize), static_cast<unsigned>((block + 1) * kBlockSize - 1),
                    comparison.same[block] ? "same" : "different");
        face_.PrintLine(line.c_str());
        if (line_.json) json_.BlockCompared(static_cast<int>(block + 1), comparison.same[block]);
    }
    MessageText summary;
    if (comparison.allSame())
        summary.Format("The drive's firmware equals the image (all %u blocks the same).",
                       static_cast<unsigned>(package_layout::kBlockCount));
    else
        summary.Format("The drive's firmware differs from the image in %d of %u blocks.", comparison.differing,
                       static_cast<unsigned>(package_layout::kBlockCount));
    face_.PrintLine(summary.c_str());
    return comparison.allSame() ? kExitSuccess : kExitFailed;
}

bool FlashRun::LoadImage() {
    ImageFileRequest request;
    request.path = line_.imageFile;
    request.revisionTag = line_.imageRevision != nullptr ? line_.imageRevision : "";
    request.mask = static_cast<std::uint8_t>(line_.imageMask);
    request.sumGiven = line_.imageSumGiven;
    request.sum = static_cast<std::uint16_t>(line_.imageSum);
    std::uint16_t imageSum = 0;
    MessageText text;
    switch (LoadImageFilePackage(request, imageBlock_, imageSum)) {
    case ImageFileProblem::None:
        break;
    case ImageFileProblem::CannotRead:
        Error(line_.imageFile, "the image file cannot be read");
        return false;
    case ImageFileProblem::WrongSize:
        Error(line_.imageFile, "not an image: it does not hold exactly 131,072 bytes");
        return false;
    case ImageFileProblem::SumDiffers:
        text.Format("the image's sum is %04X, not the %04X given with --sum; it is not the image its maker published",
                    static_cast<unsigned>(imageSum), static_cast<unsigned>(request.sum));
        Error(line_.imageFile, text.c_str());
        return false;
    case ImageFileProblem::NoMemory:
        Error(line_.imageFile, kWriteMemoryFailedText);
        return false;
    }
    package_ = FirmwarePackage(imageBlock_.get());
    text.Assign("Image file: ");
    AppendDisplayText(text, line_.imageFile);
    if (request.sumGiven)
        text.AppendFormat(" (sum %04X, as given with --sum)", static_cast<unsigned>(imageSum));
    else
        text.AppendFormat(" (sum %04X, not checked against anything: --sum HEX checks it against the sum its "
                          "maker published)",
                          static_cast<unsigned>(imageSum));
    face_.PrintLine(text.c_str());
    return true;
}

void FlashRun::Start(const char* action) {
    if (line_.json) json_.Start(action);
}

int FlashRun::Finish(int exitStatus) {
    if (!line_.json) return exitStatus;
    json_.FlushBlock();
    json_.Outcome(exitStatus, exitStatus == kExitSuccess ? "success" : "failed", face_.lastStatus());
    return exitStatus;
}

// The action as --json's first object names it.
const char* ActionName(const FlashCommandLine& line) {
    switch (line.action) {
    case FlashAction::List: return "list";
    case FlashAction::Info: return "info";
    case FlashAction::Save: return "save";
    case FlashAction::Verify: return "verify";
    case FlashAction::Help:
    case FlashAction::Version:
    case FlashAction::Upgrade: break;
    }
    return line.dryRun ? "dry-run" : "upgrade";
}

}  // namespace

int RunFlashProgram(int count, const char* const* args, FlashServices& services) {
    const FlashCommandLine line = ParseFlashCommandLine(count, args);
    if (line.problem != UsageProblem::None) {
        MessageText message;
        message.Assign("ktxflash: ");
        message.Append(UsageProblemText(line.problem));
        if (line.offending != nullptr) {
            message.Append(" \"");
            AppendDisplayText(message, line.offending);
            message.Append("\"");
        }
        message.Append(" (see --help)\n");
        std::fputs(message.c_str(), services.err);
        return kExitUsage;
    }
    if (line.action == FlashAction::Help) {
        std::fputs(kFlashUsage, services.out);
        return kExitSuccess;
    }
    if (line.action == FlashAction::Version) {
        std::fputs("ktxflash " KTX_RELEASE_VERSION "\n", services.out);
        return kExitSuccess;
    }
    FlashRun run(line, services);
    run.Start(ActionName(line));
    if (line.imageFile != nullptr && !run.LoadImage()) return run.Finish(kExitFailed);
    switch (line.action) {
    case FlashAction::List:
        return run.Finish(run.List());
    case FlashAction::Info:
        return run.Finish(run.Info());
    case FlashAction::Save:
        return run.Finish(run.Save());
    case FlashAction::Verify:
        return run.Finish(run.Verify());
    case FlashAction::Help:
    case FlashAction::Version:
    case FlashAction::Upgrade:
        break;
    }
    return run.Finish(run.Upgrade());
}

}  // namespace terminal
