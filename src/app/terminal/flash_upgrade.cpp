// ktxflash's upgrade: the checks it makes before the upgrade's steps (the
// drive's model, the power, the rights to send firmware), the steps
// themselves, and its work between the drive's checks and the questions:
// the volume lock, the comparison with the image and the backup of the
// drive's firmware.

#include <cstring>

#include "app/terminal/drive_rules.h"
#include "app/terminal/firmware_file_writer.h"
#include "app/terminal/flash_run.h"
#include "firmware/firmware_readout.h"
#include "firmware/upgrade_procedure.h"
#include "platform/display_text.h"
#include "platform/local_time.h"
#include "firmware/shared_texts.h"

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
            dryRunWouldBeRefused_ = true;
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
        dryRunWouldBeRefused_ = true;
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

std::optional<FlashEnd> FlashRun::PrepareDownload(const DeviceRecord& drive) {
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
    if (!compares && !backs) return std::nullopt;

    OwnedBuffer firmware(services_.memory);
    face_.PrintLine(backs ? "Reading the drive's firmware for the backup..." : "Reading the drive's firmware...");
    if (!ReadFirmware(firmware)) {
        ExplainLastCommand();
        Error(nullptr, "the drive's firmware could not be read; the upgrade stops before any firmware command");
        return FlashEnd::Refused;
    }
    const bool equal = compares && CompareBlocks(firmware.get(), package_.image()).allSame();
    ReportCheck("differs", !equal, equal ? "the drive's firmware already equals the image" : nullptr);
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
        ExplainLastCommand();
        return FlashEndOfUpgrade(*refused, DownloadEnd{});
    }
    if (const std::optional<FlashEnd> stopped = PrepareDownload(drive)) return *stopped;
    if (line_.dryRun) {
        face_.PrintLine(kDryRunStoppedText);
        return dryRunWouldBeRefused_ ? FlashEnd::DryRunRefused : FlashEnd::DryRunPassed;
    }
    if (const std::optional<UpgradeExit> refused = session.Confirm(KTX_TEXT_UPGRADE_WARNING))
        return FlashEndOfUpgrade(*refused, DownloadEnd{});
    DownloadEnd download;
    const UpgradeExit exit = session.Download(state, download);
    if (exit != UpgradeExit::Upgraded) {
        // The block refused at every try, with its tries.
        if (line_.json) json_.Block(download.block, download.tries, false);
        ExplainLastCommand();
    }
    return FlashEndOfUpgrade(exit, download);
}

FlashEnd FlashRun::Upgrade() {
    FirmwareState state;
    if (!FindDevice(state)) return FlashEnd::Refused;
    const DeviceRecord& drive = *state.devices.RecordAt(0);
    ShowDrive(drive, false);
    ShowPackage();
    const FirmwareContext context = Context();
    if (const std::optional<UpgradeExit> refused = CheckPackage(context))
        return FlashEndOfUpgrade(*refused, DownloadEnd{});
    if (!UpgradeMayStart(drive)) return FlashEnd::Refused;

    services_.devices.transport().ForgetLastCommand();
    services_.devices.OpenExclusively(true);
    const FlashEnd end = UpgradeDrive(context, state, drive);
    services_.devices.OpenExclusively(false);
    if (end != FlashEnd::Upgraded) return end;

    face_.PrintLine(kRestartNote);
    MessageText verify;
    verify.Assign("After the restart, check what the drive runs with: ktxflash --verify ");
    AppendDisplayText(verify, line_.device);
    face_.PrintLine(verify.c_str());
    return end;
}

}  // namespace terminal
