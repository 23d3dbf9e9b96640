#pragma once
// The run of ktxflash over the firmware operations: list the drives, show
// the embedded package, upgrade one drive (after a backup of its firmware),
// save its firmware, or compare it with the image. The same
// operations, texts and checks as the dialog program; what differs is the
// face (printed lines and terminal questions) and that the drive is named
// on the command line. Platform-free: the devices come through FlashDevices.

#include <cstdio>
#include <optional>

#include "app/terminal/flash_command_line.h"
#include "app/terminal/flash_conventions.h"
#include "app/terminal/flash_outcome.h"
#include "app/terminal/terminal_face.h"
#include "device/device_list.h"
#include "device/scsi_transport.h"
#include "firmware/firmware_context.h"
#include "firmware/firmware_package.h"
#include "firmware/published_check.h"
#include "platform/buffer_allocator.h"
#include "platform/power_source.h"

namespace terminal {

// The drives of one platform, reached through its transport.
class FlashDevices {
public:
    virtual ~FlashDevices() = default;
    // Only called once Find has found a drive: the transport exists.
    virtual ScsiTransport& transport() = 0;
    // Has `observer` (null: none) see each command of the transport, where
    // one came up.
    virtual void ObserveCommands(CommandObserver* observer) = 0;
    // Every drive of the system into `list`. When there is none, `why`
    // says why: what keeps the system from showing any, or where ktxflash
    // looked and what answered.
    virtual void ListAll(DeviceList& list, TextBuffer& why) = 0;
    // The drive `name` names into `list`: true when it was appended; else
    // `why` says what is wrong with it.
    virtual bool Find(const char* name, DeviceList& list, TextBuffer& why) = 0;
    // The name a record is known by: what --list shows first and DEVICE takes.
    virtual void AppendName(const DeviceRecord& record, TextBuffer& out) = 0;
    // Whether opening a drive claims it for this program alone (the upgrade:
    // nobody else on the drive during the download).
    virtual void OpenExclusively(bool exclusive) = 0;
    // Whether this process may send firmware commands to `record`'s drive;
    // when not, `why` says so in the words the refused command would get.
    virtual bool MaySendFirmware(const DeviceRecord& record, TextBuffer& why) = 0;
    // Whether the system passes a whole 16 KiB block to `record`'s drive in
    // one command; when not, `why` names the limit and where it comes from.
    virtual bool TakesWholeBlocks(const DeviceRecord& record, TextBuffer& why) = 0;
};

struct FlashServices {
    FlashDevices& devices;
    SystemServices& system;
    // Holds off interruptions while firmware goes to the drive; may be null.
    InterruptGuard* interrupts;
    BufferAllocator& memory;
    const FirmwarePackage& package;
    std::FILE* out;  // the session
    std::FILE* err;  // one-line errors
    std::FILE* in;   // answers to the questions
    bool outIsTerminal;
    bool inIsTerminal;
    // Whether the system runs on battery; null: not looked at.
    PowerSource* power;
    // The system's help text and how a printed command reads there.
    const FlashConventions& conventions;
    // Times each command for the notice that the drive is slow to answer;
    // null: nothing is said.
    WaitTimer* waitTimer = nullptr;
};

// Runs the command line `args` (`count` of them); `programName` is the
// program as it was started (argv[0], shown in the commands ktxflash
// prints; null or empty: "ktxflash"). Returns the exit status
// (app/terminal/flash_outcome.h says which ends give which).
int RunFlashProgram(const char* programName, int count, const char* const* args, FlashServices& services);

// One invocation of ktxflash: its command line, services, face and
// reports, and the action it carries out (the listing, package, save and
// verify actions in flash_program.cpp, the upgrade in flash_upgrade.cpp).
class FlashRun : private CheckListener {
public:
    FlashRun(const char* programName, const FlashCommandLine& line, FlashServices& services)
        : programName_(programName),
          line_(line),
          services_(services),
          // With --json the text for people goes to standard error.
          textOut_(line.json ? services.err : services.out),
          json_(services.out),
          face_(textOut_, services.in, line.json ? false : services.outIsTerminal,
                TerminalAnswers{line.yes, !services.inIsTerminal}, TerminalGuards{services.system, services.interrupts},
                line.json ? &json_ : nullptr),
          commandLog_(face_, services.system),
          waitingNotice_(face_, services.waitTimer, line.verbose ? &commandLog_ : nullptr),
          package_(services.package),
          imageBlock_(services.memory) {
        services.devices.ObserveCommands(&waitingNotice_);
        face_.SetCheckListener(this);
    }
    ~FlashRun() {
        face_.SetCheckListener(nullptr);
        services_.devices.ObserveCommands(nullptr);
    }

    FlashEnd List();
    FlashEnd Info();
    FlashEnd Upgrade();
    FlashEnd Save();
    FlashEnd Verify();
    // With --image: the image file as the run's package (image_file_package.cpp).
    bool LoadImage();
    // With --json: the first object, naming the action.
    void Start(const char* action) {
        if (line_.json) json_.Start(action);
    }
    // With --json: the last object, the outcome; returns the exit status of `end`.
    int Finish(FlashEnd end) {
        const FlashEndRow& row = FlashEndOf(end);
        if (line_.json) json_.Outcome(row.name, row.exitStatus, row.result, face_.lastStatus());
        return row.exitStatus;
    }

private:
    // The steps of the upgrade of `drive`, with ktxflash's own work between
    // the drive's checks and the questions.
    FlashEnd UpgradeDrive(const FirmwareContext& context, FirmwareState& state, const DeviceRecord& drive);
    // With the checked drive open: the volume lock, the comparison with the
    // image and the backup. Empty: the questions and the download follow.
    std::optional<FlashEnd> PrepareDownload(const DeviceRecord& drive);
    void CheckEnded(UpgradeCheck check, bool passed, const char* text) override {
        ReportCheck(UpgradeCheckName(check), passed ? CheckMark::Passed : CheckMark::Failed, text);
        if (!passed && check == UpgradeCheck::Revision) revisionRefused_ = true;
    }
    bool WriteBackup(const DeviceRecord& drive, const std::uint8_t* image);
    // Refuses a drive that is not the KTX7724R05 (unless --allow-other-model)
    // or a process that may not send firmware commands (a warning for a dry
    // run); false when the upgrade stops here.
    bool UpgradeMayStart(const DeviceRecord& drive);
    // "ktxflash: " then `subject` (escaped; may be null) and `text`, on err.
    void Error(const char* subject, const char* text);
    // The DEVICE into `state`, shown; null (with the error printed) when it is not there.
    const DeviceRecord* FindDrive(FirmwareState& state);
    // One line for the drive; with `probeType`, its drive type from MODE SENSE.
    void ShowDrive(const DeviceRecord& record, bool probeType);
    // After a failure: the last command sent and what the drive and the
    // system said of it, when it was a command that failed.
    void ExplainLastCommand();
    void ShowPackage();
    // No file service: ktxflash writes its files itself.
    FirmwareContext Context();
    // Reads the open drive's whole firmware into `image` (taken here).
    bool ReadFirmware(OwnedBuffer& image);
    // Opens `drive`, reads its firmware and closes it; a failure is explained.
    bool OpenAndReadFirmware(const DeviceRecord& drive, OwnedBuffer& image);

    // How a check of the upgrade ended: passed, failed, or failed and let
    // through by an option (--allow-other-model).
    enum class CheckMark { Passed, Failed, LetThrough };
    // One short line for people ("  ok    DVD-ROM only drive") and, with
    // --json, a check object.
    void ReportCheck(const char* name, CheckMark mark, const char* text);
    void Warn(const char* text) {
        MessageText warning("Warning: ");
        warning.Append(text);
        face_.PrintLine(warning.c_str());
    }
    // False, with the refusal printed, when the system passes less than a
    // block in one command to `drive`: checked before any command that
    // moves a block.
    bool TransfersFit(const DeviceRecord& drive);
    void ExplainDriveWentAway(int blocksAccepted);
    // A check the upgrade stops at: false, with the error printed; a dry
    // run goes on (true) with a warning now and, at its end, the refusal
    // the upgrade would get.
    bool DryRunGoesOn(const char* text);
    // After a successful upgrade: the restart, the backup to keep and the
    // command that restores it, and the command that verifies the drive.
    void ShowNextSteps();
    // The backup's path with "keep it", `goBack` and the command that
    // restores the backup, each line after `indent`.
    void ShowBackupAndRestore(const char* indent, const char* goBack);
    // The program as started, as the first word of a printed command.
    void AppendProgramWord(TextBuffer& out) { AppendCommandWord(services_.conventions, programName_, out); }

    const char* programName_;
    const FlashCommandLine& line_;
    FlashServices& services_;
    std::FILE* textOut_;
    JsonReport json_;
    TerminalFace face_;
    CommandLog commandLog_;
    WaitingNotice waitingNotice_;
    // The package the run works with: the embedded one, or --image's.
    FirmwarePackage package_;
    OwnedBuffer imageBlock_;
    // What a dry run found that would refuse the upgrade ("" when nothing).
    MessageText dryRunRefusal_;
    bool revisionRefused_ = false;
    // The backup written by this upgrade, as an absolute path, and its
    // SHA-256 in hex ("" when none was written).
    MessageText backupPath_;
    char backupSha256_[kSha256TextSize] = {};
};

}  // namespace terminal
