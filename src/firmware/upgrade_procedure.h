#pragma once
// The upgrade of one drive from the package, in the steps a face calls:
//
// 1. CheckPackage: a template without firmware is refused before anything.
// 2. UpgradeSession::CheckDrive: opens the drive, makes sure it is a
//    DVD-ROM-only drive that takes the image, takes the two working
//    buffers, copies the image and checks the revision and the image sum.
//    It ends in one of the exits A to H, or leaves the session open: the
//    drive open and the buffers held until the session ends.
// 3. UpgradeSession::Confirm: the two questions (exits I, J, K).
// 4. UpgradeSession::Download: the block download, then the drive closed
//    and the buffers released (exit L or M).
//
// Between the steps a face may work with the open drive (ktxflash reads it
// for its backup). Each step shows its status texts itself; what the face
// does at each exit (buttons, exit status) is the face's. The session
// closes the drive and releases the buffers on every way out.

#include <cstdint>
#include <optional>

#include "firmware/block_download.h"
#include "firmware/firmware_context.h"
#include "platform/fixed_text.h"
#include "platform/buffer_allocator.h"

// The texts the operations and start-up show more than once.
// No drive to work on: start-up's message box and the status line.
constexpr char kNoDeviceText[] = "No support device Found!!";
// The program carries a template without firmware.
constexpr char kNeedCombineText[] = "Need Combine firmware first !!";
// The upgrade's first status; the terminal shows it as the download starts.
constexpr char kStartFlashingText[] = "Start Flashing...\r\nDon't turn off the power!!";
// What a successful upgrade and a successful save both report.
constexpr char kUpgradeSuccessfulText[] = "Upgrade Firmware Successful!!";
// No memory for the working copy of the image.
constexpr char kWriteMemoryFailedText[] = "Memory (Write) Initialization Failed!!";

// "Open Device (%d %d)%s%s Failed!!" with the record's host adapter, target,
// vendor and product texts.
MessageText OpenDeviceFailedText(const DeviceRecord& record);

// Shows `text` as the status. A refusal of the system in the last request's
// report goes to the port first, so that a face can explain the failure.
void ReportStatus(const FirmwareContext& context, const char* text);

// Whether a drive's firmware revision fits the package's revision tag
// (both RevisionTexts). Each set bit of the mask selects one position to
// compare: bit 0 index 3, bit 1 index 2, bit 2 index 1, bit 3 index 0; bits
// 4 to 7 select nothing. Letters a to z compare equal to their upper-case
// forms; every other byte compares as it is. A mask that selects no
// position passes every revision.
bool RevisionMatches(const RevisionText& drive, const RevisionText& tag, std::uint8_t mask);

// Where an upgrade ended.
enum class UpgradeExit {
    OpenFailed,        // A: the drive could not be opened
    TypeUnknown,       // B: MODE SENSE failed
    NotDvdRomOnly,     // C: the drive writes CD media or reads no DVD-ROM
    WrongImageSize,    // D: the drive's record does not take 131,072 bytes
    NoImageMemory,     // E: no memory for the working copy of the image
    NoReadMemory,      // F: no memory for the read buffer
    RevisionMismatch,  // G: the drive's revision does not fit the package
    SumMismatch,       // H: the image's byte sum is not the package's
    NoWarningText,     // I: the first question's text could not be had
    FirstNo,           // J: No to the first question
    SecondNo,          // K: No to the second question
    Upgraded,          // L: the download succeeded
    DownloadFailed,    // M: a block was refused 5 times in a row
    Uncombined,        // the package is a template without firmware
    NotAsked,          // a question could not be put to the user
};

// A missing package or an uncombined template: its status shown, exit
// Uncombined. Nothing (an empty result) for a package that can be flashed.
std::optional<UpgradeExit> CheckPackage(const FirmwareContext& context);

class UpgradeSession {
public:
    explicit UpgradeSession(const FirmwareContext& context)
        : context_(context), image_(context.memory), readBuffer_(context.memory) {}
    ~UpgradeSession() { End(); }
    UpgradeSession(const UpgradeSession&) = delete;
    UpgradeSession& operator=(const UpgradeSession&) = delete;

    // Opens `drive` and checks it and the image, reporting each check.
    // Empty: every check passed and the session is open; otherwise the exit
    // taken, the session ended.
    std::optional<UpgradeExit> CheckDrive(const DeviceRecord& drive);
    // Asks both questions, the first worded as `warning` (null or empty:
    // exit I). Empty: both answered Yes; otherwise the exit, the session ended.
    std::optional<UpgradeExit> Confirm(const char* warning);
    // Downloads the image, ends the session and shows the success text on
    // exit L; `end` tells how the download went (failing block and tries).
    UpgradeExit Download(FirmwareState& state, DownloadEnd& end);

    // The open session's working copy of the image.
    const std::uint8_t* image() const { return image_.get(); }
    bool open() const { return deviceOpen_; }
    // Closes the drive and releases the buffers.
    void End();

private:
    // Reports `check` as failed with `status`, ends the session and shows it.
    UpgradeExit FailCheck(UpgradeExit exit, UpgradeCheck check, const char* status) {
        context_.port.CheckEnded(check, false, status);
        return Exit(exit, status);
    }
    // Ends the session and shows `status` (null: the status stays).
    UpgradeExit Exit(UpgradeExit exit, const char* status) {
        End();
        if (status != nullptr) ReportStatus(context_, status);
        return exit;
    }

    // A copy: a session must not outlive a temporary it was made from.
    const FirmwareContext context_;
    bool deviceOpen_ = false;
    // The working copy of the image that is sent, and the read buffer.
    OwnedBuffer image_;
    OwnedBuffer readBuffer_;
};
