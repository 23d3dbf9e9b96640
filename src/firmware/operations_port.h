#pragma once
// What the firmware operations tell a face and ask of it, in the words of
// what happens. The port has two roles: OperationsReport (what happened) and
// OperationsQuestions (what the user must decide). Each program's face
// implements both (ui/dialog_port.h, app/terminal/terminal_face.h); host
// tests record them. The operations say how they ended by the exit they
// return, never through the port. Every call takes effect at once, on the
// calling thread.

#include "platform/fixed_text.h"

// The upgrade's own checks of the drive and the image, in the order they run.
enum class UpgradeCheck {
    DvdRomOnly,  // the drive answers MODE SENSE as a DVD-ROM-only drive
    ImageSize,   // the drive takes an image of the package's size
    Revision,    // the drive's revision fits the package's tag under the mask
    ImageSum,    // the image's byte sum is the package's
};

// The names ktxflash reports the checks by: "dvd-rom-only", "image-size", ...
const char* UpgradeCheckName(UpgradeCheck check);

// The stretches of work a face may hold something around (the system must
// not sleep; the program must not be interrupted).
enum class Phase { Checks, ReadOut, Download };

enum class Question {
    UpgradeWarning,  // the first confirmation of an upgrade
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

class OperationsReport {
public:
    virtual ~OperationsReport() = default;

    // The one line that says what is happening or how it ended.
    virtual void ShowStatus(const char* text) = 0;
    // Progress of the running transfer, 0..100.
    virtual void ShowProgress(int percent) = 0;
    // One of the upgrade's checks ended: passed, or failed with `text` (what
    // the status will say, or what went wrong where it says nothing). A
    // failed check ends the upgrade.
    virtual void CheckEnded(UpgradeCheck check, bool passed, const char* text) = 0;
    // A phase begins; it ends, whichever way, with PhaseEnds (`succeeded`:
    // it did all it set out to do).
    virtual void PhaseBegins(Phase phase) = 0;
    virtual void PhaseEnds(Phase phase, bool succeeded) = 0;
    // One try at one block of a transfer (ReadOut or Download): the block's
    // 1-based number, the try's 1-based number, whether the drive took it.
    virtual void BlockAttempted(Phase phase, int block, int attempt, bool accepted) = 0;
    // The system's words for why it refused a request; before the status
    // text of the failure it caused.
    virtual void SystemProblem(const char* text) = 0;
};

class OperationsQuestions {
public:
    virtual ~OperationsQuestions() = default;

    // Puts `question`, worded as `text`, to the user; `suggested` is the
    // answer a face offers as its default.
    virtual Answer Ask(Question question, const char* text, Answer suggested) = 0;
    // Lets the user choose a firmware file; false when none was chosen.
    virtual bool ChooseFile(const FileChoice& choice, ChosenFile& chosen) = 0;
};

// Both roles, as a face implements them.
class OperationsPort : public OperationsReport, public OperationsQuestions {};

// Announces a phase for exactly the lifetime of the object; it ended with
// success only when Succeeded() was called.
class PhaseScope {
public:
    PhaseScope(OperationsReport& report, Phase phase) : report_(report), phase_(phase) { report_.PhaseBegins(phase_); }
    ~PhaseScope() { report_.PhaseEnds(phase_, succeeded_); }
    PhaseScope(const PhaseScope&) = delete;
    PhaseScope& operator=(const PhaseScope&) = delete;
    void Succeeded() { succeeded_ = true; }

private:
    OperationsReport& report_;
    Phase phase_;
    bool succeeded_ = false;
};
