#include <cstring>

#include "app/terminal/drive_rules.h"
#include "app/terminal/firmware_file_writer.h"
#include "app/terminal/flash_program.h"
#include "firmware/firmware_readout.h"
#include "firmware/shared_texts.h"
#include "firmware/upgrade_procedure.h"
#include "platform/display_text.h"
#include "platform/system_services.h"

namespace terminal {
namespace {

// What a check's line says it is about.
const char* CheckLabel(const char* name) {
    static const char* const kLabels[][2] = {
        {"model", "TAVRINE KTX7724R05 drive"},
        {"power", "power: on the mains, or enough battery"},
        {"rights", "rights to send firmware to the drive"},
        {"volume-lock", "drive's volume locked and dismounted"},
        {"dvd-rom-only", "DVD-ROM only drive"},
        {"image-size", "drive takes an image of 131,072 bytes"},
        {"revision", "drive's revision fits the image's tag and mask"},
        {"image-sum", "image's byte sum matches the package"},
        {"differs", "drive's firmware differs from the image"},
    };
    for (const auto& label : kLabels)
        if (std::strcmp(label[0], name) == 0) return label[1];
    return name;
}

}  // namespace

void FlashRun::ReportCheck(const char* name, CheckMark mark, const char* text) {
    MessageText line(mark == CheckMark::Passed ? "  ok    " : mark == CheckMark::Failed ? "  FAIL  " : "  WARN  ");
    line.Append(CheckLabel(name));
    face_.PrintLine(line.c_str());
    if (line_.json) json_.Check(name, mark == CheckMark::Passed, text);
}

bool FlashRun::DryRunGoesOn(const char* text) {
    if (!line_.dryRun) {
        Error(nullptr, text);
        return false;
    }
    Warn(text);
    if (dryRunRefusal_.empty()) dryRunRefusal_.Assign(text);
    return true;
}

bool FlashRun::UpgradeMayStart(const DeviceRecord& drive) {
    MessageText name;
    services_.devices.AppendName(drive, name);
    if (!IsKtxDrive(drive)) {
        MessageText text("the drive reports ");
        AppendReportedModel(drive, text);
        if (!line_.allowOtherModel) {
            text.Append(", not vendor \"TAVRINE\", product \"KTX7724R05\"; --allow-other-model flashes it anyway");
            ReportCheck("model", CheckMark::Failed, text.c_str());
            Error(name.c_str(), text.c_str());
            return false;
        }
        text.Append(": flashed as a KTX7724R05 (--allow-other-model)");
        ReportCheck("model", CheckMark::LetThrough, text.c_str());
        face_.PrintLine(text.c_str());
    } else {
        ReportCheck("model", CheckMark::Passed, nullptr);
    }
    if (services_.power != nullptr && !line_.ignorePower) {
        const PowerStatus power = services_.power->Read();
        if (PowerTooLowToFlash(power)) {
            MessageText text;
            text.Format("the system runs on battery with %d%% left (less than %d%%): connect it to the mains, or "
                        "--ignore-power flashes anyway",
                        power.percent, kLowestChargeToFlash);
            ReportCheck("power", CheckMark::Failed, text.c_str());
            if (!DryRunGoesOn(text.c_str())) return false;
        } else {
            ReportCheck("power", CheckMark::Passed, nullptr);
        }
    }
    MessageText why;
    const bool mayFlash = services_.devices.MaySendFirmware(drive, why);
    ReportCheck("rights", mayFlash ? CheckMark::Passed : CheckMark::Failed, mayFlash ? nullptr : why.c_str());
    return mayFlash || DryRunGoesOn(why.c_str());
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
    MessageText text("Backup of the drive's firmware: ");
    AppendDisplayPath(text, name.c_str());
    face_.PrintLine(text.c_str());
    if (line_.json) json_.Backup(name.c_str(), nullptr);
    // For the command that restores it, once the upgrade has succeeded.
    char directory[kPathCapacity * 4] = {};
    const std::uint32_t length = services_.system.CurrentDirectory(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory) directory[0] = '\0';
    backupPath_.Clear();
    AppendAbsolutePath(services_.conventions, directory[0] != '\0' ? directory : ".", name.c_str(), backupPath_);
    FormatSha256(Sha256(image, kImageSize), backupSha256_);
    return true;
}

void FlashRun::ExplainDriveWentAway(int blocksAccepted) {
    MessageText text("ktxflash: ");
    AppendDisplayText(text, line_.device);
    text.AppendFormat(": the drive went away after %d of the %u blocks were accepted; the download stopped, as "
                      "further tries cannot reach it.",
                      blocksAccepted, static_cast<unsigned>(package_layout::kBlockCount));
    face_.PrintLine(text.c_str());
    face_.PrintLine("  Reconnect the drive (its cable, its enclosure's power). Do not restart the PC or power the "
                    "drive off yet: the drive may need the download again before it can start.");
    text.Assign("  Then find it with ");
    AppendProgramWord(text);
    text.Append(" --list (its name may have changed) and run the upgrade again.");
    face_.PrintLine(text.c_str());
    if (backupSha256_[0] == '\0') {
        face_.PrintLine("  No backup of the drive's old firmware was written in this run.");
        return;
    }
    ShowBackupAndRestore("  ", "To go back to it once the drive answers again:");
}

std::optional<FlashEnd> FlashRun::PrepareDownload(const DeviceRecord& drive) {
    // The NT family: the drive's volume locked and dismounted for the
    // download where Windows allows it; said where it does not. A dry run
    // leaves the volume alone.
    switch (line_.dryRun ? ScsiTransport::VolumeLock::NotApplicable : services_.devices.transport().LockVolume()) {
    case ScsiTransport::VolumeLock::NotApplicable:
        break;
    case ScsiTransport::VolumeLock::Locked:
        face_.PrintLine("Locked and dismounted the drive's volume for the download.");
        ReportCheck("volume-lock", CheckMark::Passed, nullptr);
        break;
    case ScsiTransport::VolumeLock::Refused:
        Warn("Windows did not let ktxflash lock the drive's volume: another program may be using the drive; "
             "close it before the download");
        ReportCheck("volume-lock", CheckMark::Failed, "the volume could not be locked");
        break;
    }
    const bool compares = !line_.allowReinstall;
    const bool backs = !line_.noBackup;
    if (line_.noBackup) {
        face_.PrintLine("No backup of the drive's firmware (--no-backup).");
        if (line_.json) json_.Backup(nullptr, "--no-backup");
    }
    if (!compares && !backs) return std::nullopt;

    OwnedBuffer firmware(services_.memory);
    face_.PrintLine(backs ? "Reading the drive's firmware for the backup..." : "Reading the drive's firmware...");
    if (!ReadFirmware(firmware)) {
        ExplainLastCommand();
        Error(nullptr, "the drive's firmware could not be read; the upgrade stops before any firmware command");
        return FlashEnd::Refused;
    }
    const bool equal = compares && CompareBlocks(firmware.get(), package_.image()).allSame();
    if (compares)
        ReportCheck("differs", equal ? CheckMark::Failed : CheckMark::Passed,
                    equal ? "the drive's firmware already equals the image" : nullptr);
    if (equal) {
        face_.PrintLine(
            "The drive's firmware already equals the image: not flashed again (--allow-reinstall flashes it anyway).");
        return FlashEnd::AlreadyCurrent;
    }
    if (!backs) return std::nullopt;
    if (line_.dryRun && line_.backupFile == nullptr) {
        face_.PrintLine("Dry run: the drive's firmware was read as the backup reads it; no file written "
                        "(--backup FILE writes one).");
        if (line_.json) json_.Backup(nullptr, "--dry-run");
        return std::nullopt;
    }
    if (!WriteBackup(drive, firmware.get())) return FlashEnd::Refused;
    return std::nullopt;
}

FlashEnd FlashRun::UpgradeDrive(const FirmwareContext& context, FirmwareState& state, const DeviceRecord& drive) {
    UpgradeSession session(context);
    if (const std::optional<UpgradeExit> refused = session.CheckDrive(drive)) {
        if (revisionRefused_) {
            // Which characters of the drive's revision had to match the tag.
            MessageText text("  ");
            AppendRevisionRefusal(MakeRevisionText(drive.productRevision), package_.revisionTag(),
                                  package_.versionCheckMask(), text);
            face_.PrintLine(text.c_str());
        }
        ExplainLastCommand();
        return FlashEndOfUpgrade(*refused, DownloadEnd{});
    }
    if (const std::optional<FlashEnd> stopped = PrepareDownload(drive)) return *stopped;
    if (line_.dryRun) {
        if (!dryRunRefusal_.empty()) {
            MessageText refused("Dry run: a real upgrade would be refused: ");
            refused.Append(dryRunRefusal_.c_str());
            face_.PrintLine(refused.c_str());
            face_.PrintLine("No firmware command was sent to the drive.");
            if (line_.json) json_.Error(nullptr, refused.c_str());
            return FlashEnd::DryRunRefused;
        }
        face_.PrintLine(kDryRunStoppedText);
        return FlashEnd::DryRunPassed;
    }
    if (const std::optional<UpgradeExit> refused = session.Confirm(KTX_TEXT_UPGRADE_WARNING))
        return FlashEndOfUpgrade(*refused, DownloadEnd{});
    DownloadEnd download;
    const UpgradeExit exit = session.Download(state, download);
    if (exit != UpgradeExit::Upgraded) {
        // The block refused at every try (or when the drive went away), with its tries.
        if (line_.json) json_.Block(download.block, download.tries, false);
        ExplainLastCommand();
        if (download.deviceGone) ExplainDriveWentAway(download.block - 1);
    }
    return FlashEndOfUpgrade(exit, download);
}

FlashEnd FlashRun::Upgrade() {
    FirmwareState state;
    const DeviceRecord* found = FindDrive(state);
    if (found == nullptr) return FlashEnd::Refused;
    const DeviceRecord& drive = *found;
    ShowPackage();
    const FirmwareContext context = Context();
    if (const std::optional<UpgradeExit> refused = CheckPackage(context))
        return FlashEndOfUpgrade(*refused, DownloadEnd{});
    if (!UpgradeMayStart(drive) || !TransfersFit(drive)) return FlashEnd::Refused;

    services_.devices.transport().ForgetLastCommand();
    services_.devices.OpenExclusively(true);
    const FlashEnd end = UpgradeDrive(context, state, drive);
    services_.devices.OpenExclusively(false);
    if (end == FlashEnd::Upgraded) ShowNextSteps();
    return end;
}

void FlashRun::ShowBackupAndRestore(const char* indent, const char* goBack) {
    MessageText text(indent);
    text.Append("Keep the backup, the drive's old firmware byte for byte: ");
    text.Append(backupPath_.c_str());
    face_.PrintLine(text.c_str());
    text.Assign(indent);
    text.Append(goBack);
    face_.PrintLine(text.c_str());
    // The one place that builds the command that flashes the backup back.
    const FlashConventions& conventions = services_.conventions;
    text.Assign(indent);
    text.Append("  ");
    text.Append(conventions.elevate);
    AppendProgramWord(text);
    text.Append(" --image ");
    AppendCommandWord(conventions, backupPath_.c_str(), text);
    text.Append(" --sha256 ");
    text.Append(backupSha256_);
    if (line_.allowOtherModel) text.Append(" --allow-other-model");
    text.Append(' ');
    AppendCommandWord(conventions, line_.device, text);
    face_.PrintLine(text.c_str());
}

void FlashRun::ShowNextSteps() {
    const FlashConventions& conventions = services_.conventions;
    face_.PrintLine("Restart the PC (or power-cycle the drive) before using the drive: it runs the new firmware "
                    "only after that.");
    if (backupSha256_[0] != '\0') ShowBackupAndRestore("", "To go back to it:");
    MessageText command;
    face_.PrintLine("After the restart, check what the drive runs with:");
    command.Assign("  ");
    AppendProgramWord(command);
    command.Append(" --verify ");
    if (line_.imageFile != nullptr) {
        // The same image the drive was sent, with its check.
        char sha256[kSha256TextSize];
        FormatSha256(Sha256(package_.image(), kImageSize), sha256);
        command.Append("--image ");
        AppendCommandWord(conventions, line_.imageFile, command);
        command.Append(" --sha256 ");
        command.Append(sha256);
        command.Append(' ');
    }
    AppendCommandWord(conventions, line_.device, command);
    face_.PrintLine(command.c_str());
}

}  // namespace terminal
