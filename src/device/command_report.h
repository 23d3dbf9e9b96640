#pragma once
// What happened to the last request a transport made of a drive: a
// command, with its bytes, or opening the drive (no bytes then); what the
// drive and the system said about it (SCSI status, sense data, the host
// adapter's or the kernel's status, the system's error code and its words
// for a refusal); and whether the transport gave up on it while it may still
// be running. Every transport fills it from the request it already had back;
// nothing extra is asked of the drive. Fixed size: no heap.

#include <cstddef>
#include <cstdint>

#include "device/command_set.h"

// The transport that carried a command.
enum class CommandCarrier : std::uint8_t { None, Aspi, PassThrough, SgIo };

// Sense bytes kept: the fixed format's first 18 (key, ASC, ASCQ and more).
constexpr std::uint8_t kKeptSenseLength = 18;
// Room for the system's words for a refusal, terminator included.
constexpr std::size_t kRefusalRoom = 160;

struct CommandReport {
    std::uint8_t cdb[16] = {};
    std::uint8_t cdbLength = 0;
    commands::Direction direction = commands::Direction::In;
    std::uint32_t length = 0;  // bytes of the data phase
    bool good = false;         // the transport judged it a success
    // The drive answered with a SCSI status (false: the request did not
    // reach a status, e.g. the system refused it or it timed out).
    bool answered = false;
    std::uint8_t scsiStatus = 0;
    std::uint8_t sense[kKeptSenseLength] = {};
    std::uint8_t senseLength = 0;
    // Which transport carried the command: it says how the statuses below
    // read. ASPI: requestStatus is SRB_Status, hostStatus SRB_HaStat. SG_IO:
    // hostStatus and driverStatus are the header's host_status and
    // driver_status. The NT pass-through has only the SCSI status and the
    // system's error code.
    CommandCarrier carrier = CommandCarrier::None;
    std::uint8_t requestStatus = 0;
    std::uint16_t hostStatus = 0;
    std::uint16_t driverStatus = 0;
    // The system's error code when it did not carry the request (errno on
    // Linux, the error code on Windows); 0 when none was reported.
    std::uint32_t systemError = 0;
    // The request never left this computer: the system refused it before a
    // device could see it (no rights for it), or the transport had stopped
    // sending to the device. Whatever else failed may have reached the drive.
    bool neverSent = false;
    // The transport looked after the command failed, without sending
    // anything, and found the device no longer there (unplugged, deleted):
    // a further try cannot reach it. Only SG_IO can tell.
    bool deviceGone = false;
    // The transport gave up waiting for it, or sends nothing because it gave
    // up on an earlier one: that request may still be completed later into
    // the memory it names, a caller's data buffer included. The caller must
    // then keep such buffers, not free them, until the program ends.
    bool abandoned = false;
    // The system refused the request (a firmware command without the rights
    // for it, a busy or vanished device), in words that say why; empty when
    // it did not.
    char refusal[kRefusalRoom] = {};

    bool refused() const { return refusal[0] != '\0'; }
    // Sets `refusal` to `text`, cut to the room.
    void Refuse(const char* text);
    // Starts the report of `command`: everything but its bytes cleared.
    void Begin(const commands::Command& command);
    // The drive's SCSI status and the sense data it returned (`length` bytes,
    // at most kKeptSenseLength kept).
    void Answer(std::uint8_t status, const std::uint8_t* senseData, std::uint32_t length);
};

// Sees every command a transport sends as it starts (the report holds its
// bytes, nothing of its outcome yet) and once it has ended (ktxflash -v).
class CommandObserver {
public:
    virtual ~CommandObserver() = default;
    virtual void CommandStarts(const CommandReport& report) = 0;
    virtual void CommandEnded(const CommandReport& report) = 0;
};
