#pragma once
// One run of ktxflash, shared by the files that carry it out: the listing,
// package, save and verify actions (flash_program.cpp) and the upgrade
// with its own checks, comparison and backup (flash_upgrade.cpp).

#include <optional>

#include "app/terminal/command_log.h"
#include "app/terminal/flash_command_line.h"
#include "app/terminal/flash_outcome.h"
#include "app/terminal/flash_program.h"
#include "app/terminal/json_report.h"
#include "firmware/firmware_context.h"
#include "platform/buffer_allocator.h"

namespace terminal {

// One invocation of ktxflash: its command line, services, face and
// reports, and the action it carries out.
class FlashRun {
public:
    FlashRun(const FlashCommandLine& line, FlashServices& services)
        : line_(line),
          services_(services),
          // With --json the text for people goes to standard error.
          textOut_(line.json ? services.err : services.out),
          json_(services.out),
          face_(textOut_, services.in, line.json ? false : services.outIsTerminal,
                TerminalAnswers{line.yes, !services.inIsTerminal}, TerminalGuards{services.system, services.interrupts},
                line.json ? &json_ : nullptr),
          commandLog_(face_, services.system),
          package_(services.package),
          imageBlock_(services.memory) {
        if (line.verbose) services.devices.transport().SetCommandObserver(&commandLog_);
    }
    ~FlashRun() { services_.devices.transport().SetCommandObserver(nullptr); }
    FlashRun(const FlashRun&) = delete;
    FlashRun& operator=(const FlashRun&) = delete;

    FlashEnd List();
    FlashEnd Info();
    FlashEnd Upgrade();
    FlashEnd Save();
    FlashEnd Verify();
    // With --image: makes the image file the run's package; false (with the
    // error printed) when it cannot.
    bool LoadImage();
    // With --json: the first object, naming the action.
    void Start(const char* action);
    // With --json: the last object, the outcome; returns the exit status of `end`.
    int Finish(FlashEnd end);

private:
    // The steps of the upgrade of `drive`, with ktxflash's own work between
    // the drive's checks and the questions.
    FlashEnd UpgradeDrive(const FirmwareContext& context, FirmwareState& state, const DeviceRecord& drive);
    // With the checked drive open: the volume lock, the comparison with the
    // image and the backup. Empty: the questions and the download follow.
    std::optional<FlashEnd> PrepareDownload(const DeviceRecord& drive);
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
    // The operations' context: this run's services and the terminal's face;
    // no file service (ktxflash writes its files itself).
    FirmwareContext Context();
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
    JsonReport json_;
    TerminalFace face_;
    CommandLog commandLog_;
    // The package the run works with: the embedded one, or --image's.
    FirmwarePackage package_;
    OwnedBuffer imageBlock_;
    // A dry run went past a refusal of a real run (a warning in its place).
    bool dryRunWouldBeRefused_ = false;
};

}  // namespace terminal
