#pragma once
// One run of ktxflash, shared by the files that carry it out: the listing,
// package, save and verify actions (flash_program.cpp) and the upgrade
// with its own checks, comparison and backup (flash_upgrade.cpp).

#include "app/terminal/command_log.h"
#include "app/terminal/flash_command_line.h"
#include "app/terminal/flash_program.h"
#include "app/terminal/json_report.h"
#include "app/terminal/waiting_notice.h"
#include "firmware/firmware_context.h"
#include "firmware/published_check.h"
#include "platform/buffer_allocator.h"

namespace terminal {

// How the work ktxflash does before the questions ended the upgrade.
enum class CheckedDriveOutcome {
    GoOn,          // the questions and the download follow
    AlreadyEqual,  // the drive holds the image: nothing to do, exit 0
    Failed,        // the read or the backup failed: exit 1, nothing sent
};

// One invocation of ktxflash: its command line, services, face and
// reports, and the action it carries out.
class FlashRun : private CheckedDriveStep {
public:
    FlashRun(const char* programName, const FlashCommandLine& line, FlashServices& services)
        : programName_(programName),
          line_(line),
          services_(services),
          // With --json the text for people goes to standard error.
          textOut_(line.json ? services.err : services.out),
          face_(textOut_, services.in, line.json ? false : services.outIsTerminal,
                TerminalAnswers{line.yes, line.dryRun, !services.inIsTerminal},
                TerminalGuards{services.system, services.interrupts}),
          commandLog_(face_, services.system),
          json_(services.out, line.verbose ? &commandLog_ : nullptr),
          waitingNotice_(face_, services.waitTimer,
                         line.json ? static_cast<CommandObserver*>(&json_) : line.verbose ? &commandLog_ : nullptr),
          package_(services.package),
          imageBlock_(services.memory) {
        services.devices.transport().SetCommandObserver(&waitingNotice_);
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
        ReportCheck(UpgradeCheckName(check), passed ? CheckMark::Passed : CheckMark::Failed, text);
        if (!passed && check == UpgradeCheck::Revision) revisionRefused_ = true;
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

    // How a check of the upgrade ended: passed, failed, or failed and let
    // through by an option (--allow-other-model).
    enum class CheckMark { Passed, Failed, LetThrough };
    // A check of the upgrade, one short line for people ("  ok    DVD-ROM
    // only drive") and, with --json, a check object.
    void ReportCheck(const char* name, CheckMark mark, const char* text);
    // Prints a warning.
    void Warn(const char* text);
    // False, with the refusal printed, when the system passes less than a
    // block in one command to `drive`: checked before any command that
    // moves a block.
    bool TransfersFit(const DeviceRecord& drive);
    // After the drive went away during the download: how far it got and
    // what to do now.
    void ExplainDriveWentAway(int blocksAccepted);
    // A dry run that goes on past a check the upgrade would stop at:
    // the warning now, and at its end the refusal the upgrade would get.
    void RefusedInDryRun(const char* text);
    // After "F/W Version Not Match": the drive's revision, the tag and the
    // mask, and which characters had to match.
    void ExplainRevisionRefusal();
    // After a successful upgrade: the restart, the backup to keep and the
    // command that restores it, and the command that verifies the drive.
    void ShowNextSteps();
    // The program as started, as the first word of a printed command.
    void AppendProgramWord(TextBuffer& out);
    // The command that flashes the backup back onto the drive; the one
    // place that builds it.
    void AppendRestoreCommand(TextBuffer& text);

    const char* programName_;
    const FlashCommandLine& line_;
    FlashServices& services_;
    std::FILE* textOut_;
    TerminalFace face_;
    CommandLog commandLog_;
    JsonReport json_;
    WaitingNotice waitingNotice_;
    // The package the run works with: the embedded one, or --image's.
    FirmwarePackage package_;
    OwnedBuffer imageBlock_;
    // The drive the upgrade works on, while it runs.
    const DeviceRecord* upgradeDrive_ = nullptr;
    CheckedDriveOutcome checkedDriveOutcome_ = CheckedDriveOutcome::GoOn;
    // What a dry run found that would refuse the upgrade ("" when nothing).
    MessageText dryRunRefusal_;
    bool revisionRefused_ = false;
    // The backup written by this upgrade, as an absolute path, and its
    // SHA-256 in hex ("" when none was written).
    MessageText backupPath_;
    char backupSha256_[kSha256TextSize] = {};
};

}  // namespace terminal
