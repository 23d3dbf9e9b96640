#pragma once
// What happened to the last command a transport sent: its bytes, and what
// the drive and the system said about it (SCSI status, sense data, the
// host adapter's or the kernel's status). Every transport fills it from the
// request it already had back; nothing extra is asked of the drive.

#include <cstdint>

#include "device/command_set.h"

// The transport that carried a command.
enum class CommandCarrier : std::uint8_t { None, Aspi, PassThrough, SgIo };

// Sense bytes kept: the fixed format's first 18 (key, ASC, ASCQ and more).
constexpr std::uint8_t kKeptSenseLength = 18;

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
    // The transport looked after the command failed, without sending
    // anything, and found the device no longer there (unplugged, deleted):
    // a further try cannot reach it. Only SG_IO can tell.
    bool deviceGone = false;

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
