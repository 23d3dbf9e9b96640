// ktxflash's upgrade: the checks it makes before the upgrade procedure
// (the drive's model, the power, the rights to send firmware), and its
// work once the procedure's own checks have passed: the comparison with
// the image and the backup of the drive's firmware.

#include <cstring>

#include "app/terminal/backup_file_name.h"
#include "app/terminal/drive_model_check.h"
#include "app/terminal/firmware_file_writer.h"
#include "app/terminal/flash_run.h"
#include "firmware/block_comparison.h"
#include "firmware/byte_sum.h"
#include "firmware/package_layout.h"
#include "firmware/upgrade_procedure.h"
#include "platform/display_text.h"
#include "platform/local_time.h"
#include "platform/replacing_file_service.h"

namespace terminal {
namespace {

constexpr char kRestartNote[] =
    "Restart the PC (or power-cycle the drive) before using the drive: it runs the new firmware only after that.";

}  // namespace

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
    backupFile_.Assign(name.c_str());
    backupSum_ = byteSum16(image, kImageSize);
    return true;
}

void FlashRun::AppendRestoreCommand(TextBuffer& text) {
    text.Append("ktxflash --image ");
    AppendDisplayText(text, backupFile_.c_str());
    text.AppendFormat(" --sum %04X", static_cast<unsigned>(backupSum_));
    if (line_.allowOtherModel) text.Append(" --allow-other-model");
    text.Append(" DEVICE");
}

void FlashRun::ExplainDriveWentAway(int blocksAccepted) {
    MessageText text;
    text.Assign("ktxflash: ");
    AppendDisplayText(text, line_.device);
    text.AppendFormat(": the drive went away after %d of the %u blocks were accepted; the download stopped, as "
                      "further tries cannot reach it.",
                      blocksAccepted, static_cast<unsigned>(package_layout::kBlockCount));
    face_.PrintLine(text.c_str());
    face_.PrintLine("  Reconnect the drive (its cable, its enclosure's power). Do not restart the PC or power the "
                    "drive off yet: the drive may need the download again before it can start.");
    face_.PrintLine("  Then find it with ktxflash --list (its name may have changed) and run the upgrade again.");
    if (backupFile_.empty()) {
        face_.PrintLine("  No backup of the drive's old firmware was written in this run.");
        return;
    }
    text.Assign("  The drive's old firmware is in the backup ");
    AppendDisplayText(text, backupFile_.c_str());
    text.Append("; keep it. It goes back onto the drive with: ");
    AppendRestoreCommand(text);
    face_.PrintLine(text.c_str());
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
    if (!package_.isUncombined() && (!UpgradeMayStart(*upgradeDrive_) || !TransfersFit(*upgradeDrive_)))
        return kExitFailed;

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
    if (face_.blocksAcceptedBeforeGone() >= 0) {
        ExplainDriveWentAway(face_.blocksAcceptedBeforeGone());
        return kExitFailed;
    }
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

}  // namespace terminal
