#pragma once
// What the firmware operations (upgrade, block download, read-out, save,
// browse) tell the user and ask of the user, in the words of what happens.
// Each program has a face that implements it: the dialog maps it onto its
// controls, message boxes and string table (ui/dialog_port.h); ktxflash
// prints it (app/terminal/terminal_face.h); host tests record it. Every
// call takes effect at once, on the calling thread.

#include "firmware/upgrade_check.h"
#include "platform/fixed_text.h"

// The commands a user can start while the operations work, as the dialog
// offers them (a terminal runs one command per invocation and ignores them).
enum class Command { Browse, Upgrade, Exit };

// The questions the operations ask.
enum class Question {
    UpgradeWarning,  // the first confirmation of an upgrade (its text: LoadUpgradeWarning)
    FlashingStart,   // the second, last one before the firmware goes to the drive
    OverwriteFile,   // the save's file holds data: empty it?
};

// NoAnswer: the question could not be put to the user.
enum class Answer { Yes, No, NoAnswer };

// A firmware file to choose: what the chooser starts with.
struct FileChoice {
    const char* defaultExtension = "";  // "bin"
    const char* initialFileName = "";   // "*.bin"
    const char* filter = "";            // "Firmware File (bin)"
    // Null: the face's choice.
    const char* initialDirectory = nullptr;
};

struct ChosenFile {
    PathText fullPath;   // the chosen file's full path
    PathText extension;  // text after the last dot of the file name
};

class OperationsPort {
public:
    virtual ~OperationsPort() = default;

    // The one line that says what is happening or how it ended.
    virtual void ShowStatus(const char* text) = 0;
    // Progress of the running transfer, 0..100.
    virtual void ShowProgress(int percent) = 0;
    virtual void EnableCommand(Command command, bool enable) = 0;
    // The firmware file the save writes, once chosen.
    virtual void ShowFirmwareFile(const char* path) = 0;
    // The index, in the state's device list, of the drive the user chose;
    // negative when none is chosen.
    virtual int ChosenDrive() = 0;

    // The text of the upgrade's first confirmation into `buffer` (room for
    // `room` characters, terminator included); the number of characters
    // copied, 0 when the face has no such text.
    virtual int LoadUpgradeWarning(char* buffer, int room) = 0;
    // Puts `question`, worded as `text`, to the user; `suggested` is the
    // answer a face offers as its default.
    virtual Answer Ask(Question question, const char* text, Answer suggested) = 0;
    // Lets the user choose a firmware file; false when none was chosen.
    virtual bool ChooseFile(const FileChoice& choice, ChosenFile& chosen) = 0;

    // One of the upgrade's checks ended: passed, or failed with `text` (what
    // the status will say, or what went wrong where the status says nothing).
    // A failed check ends the upgrade; the checks after it are not reported.
    virtual void CheckEnded(UpgradeCheck check, bool passed, const char* text) = 0;

    // Every check of the upgrade passed, the drive is open and nothing has
    // been asked yet: a face may work with the drive here (ktxflash reads
    // the drive's firmware for its backup and comparison). False ends the
    // upgrade at once, before any question, leaving the status as it is.
    virtual bool ChecksPassed() = 0;

    // The firmware goes to the drive between these two: the system must not
    // sleep and the program must not be interrupted.
    virtual void DownloadBegins() = 0;
    virtual void DownloadEnds() = 0;
    // The drive's firmware is read between these two: the system must not sleep.
    virtual void ReadOutBegins() = 0;
    virtual void ReadOutEnds() = 0;

    // The system refused a request (a firmware command without the rights
    // for it, a busy device), in words that say why; it comes before the
    // status text of the failure it caused.
    virtual void SystemProblem(const char* text) = 0;

    // The drive went away during the download, after `blocksAccepted` blocks
    // had been accepted: the download stopped without further tries. It
    // comes after the status text of the failure. The dialog's face adds
    // nothing to its status text; ktxflash says what to do.
    virtual void DeviceWentAway(int blocksAccepted) { static_cast<void>(blocksAccepted); }
};
