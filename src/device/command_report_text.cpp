#include "device/command_report_text.h"

#include "device/aspi_srb.h"

namespace {

struct SenseMeaning {
    std::uint8_t asc;
    std::uint8_t ascq;
    const char* text;
};

// The common ones, as SPC and MMC word them.
constexpr SenseMeaning kMeanings[] = {
    {0x00, 0x00, "no additional sense information"},
    {0x04, 0x00, "logical unit not ready, cause not reportable"},
    {0x04, 0x01, "logical unit is in process of becoming ready"},
    {0x04, 0x02, "logical unit not ready, initializing command required"},
    {0x04, 0x03, "logical unit not ready, manual intervention required"},
    {0x04, 0x07, "logical unit not ready, operation in progress"},
    {0x04, 0x08, "logical unit not ready, long write in progress"},
    {0x0C, 0x00, "write error"},
    {0x11, 0x00, "unrecovered read error"},
    {0x1A, 0x00, "parameter list length error"},
    {0x20, 0x00, "invalid command operation code"},
    {0x21, 0x00, "logical block address out of range"},
    {0x24, 0x00, "invalid field in CDB"},
    {0x25, 0x00, "logical unit not supported"},
    {0x26, 0x00, "invalid field in parameter list"},
    {0x26, 0x01, "parameter not supported"},
    {0x26, 0x02, "parameter value invalid"},
    {0x28, 0x00, "not ready to ready change, medium may have changed"},
    {0x29, 0x00, "power on, reset, or bus device reset occurred"},
    {0x2A, 0x01, "mode parameters changed"},
    {0x2C, 0x00, "command sequence error"},
    {0x30, 0x00, "incompatible medium installed"},
    {0x3A, 0x00, "medium not present"},
    {0x3A, 0x01, "medium not present - tray closed"},
    {0x3A, 0x02, "medium not present - tray open"},
    {0x3E, 0x00, "logical unit has not self-configured yet"},
    {0x3F, 0x01, "microcode has been changed"},
    {0x3F, 0x03, "inquiry data has changed"},
    {0x44, 0x00, "internal target failure"},
    {0x47, 0x00, "SCSI parity error"},
    {0x4E, 0x00, "overlapped commands attempted"},
    {0x53, 0x02, "medium removal prevented"},
    {0x5A, 0x01, "operator medium removal request"},
    {0x5D, 0x00, "failure prediction threshold exceeded"},
    {0x5E, 0x00, "low power condition on"},
};

constexpr const char* kSenseKeyNames[16] = {
    "NO SENSE",        "RECOVERED ERROR", "NOT READY",       "MEDIUM ERROR",
    "HARDWARE ERROR",  "ILLEGAL REQUEST", "UNIT ATTENTION",  "DATA PROTECT",
    "BLANK CHECK",     "VENDOR SPECIFIC", "COPY ABORTED",    "ABORTED COMMAND",
    "OBSOLETE (0xC)",  "VOLUME OVERFLOW", "MISCOMPARE",      "RESERVED (0xF)",
};

struct CodeWords {
    std::uint32_t code;
    const char* name;     // "DID_NO_CONNECT"
    const char* meaning;  // "the drive could not be reached"
};

template <std::size_t N>
const CodeWords* Find(const CodeWords (&table)[N], std::uint32_t code) {
    for (const CodeWords& entry : table)
        if (entry.code == code) return &entry;
    return nullptr;
}

constexpr CodeWords kHostStatuses[] = {
    {0x00, "DID_OK", "no error"},
    {0x01, "DID_NO_CONNECT", "the drive could not be reached: unplugged, powered off or its connection lost"},
    {0x02, "DID_BUS_BUSY", "the bus stayed busy"},
    {0x03, "DID_TIME_OUT", "the command timed out"},
    {0x04, "DID_BAD_TARGET", "no drive at that address"},
    {0x05, "DID_ABORT", "the command was aborted"},
    {0x06, "DID_PARITY", "a parity error on the bus"},
    {0x07, "DID_ERROR", "the host adapter's driver failed the command (behind USB, often a lost connection)"},
    {0x08, "DID_RESET", "the bus or the drive was reset"},
    {0x09, "DID_BAD_INTR", "an interrupt the host adapter did not expect"},
    {0x0A, "DID_PASSTHROUGH", "passed through without the kernel's handling"},
    {0x0B, "DID_SOFT_ERROR", "the host adapter's driver asks for a retry"},
    {0x0C, "DID_IMM_RETRY", "to be retried at once"},
    {0x0D, "DID_REQUEUE", "to be queued again"},
    {0x0E, "DID_TRANSPORT_DISRUPTED", "the connection to the drive was disrupted"},
    {0x0F, "DID_TRANSPORT_FAILFAST", "the connection to the drive failed"},
    {0x10, "DID_TARGET_FAILURE", "a permanent failure of the drive"},
    {0x11, "DID_NEXUS_FAILURE", "a permanent failure of the path to the drive"},
    {0x12, "DID_ALLOC_FAILURE", "space allocation on the device failed"},
    {0x13, "DID_MEDIUM_ERROR", "a medium error"},
    {0x14, "DID_TRANSPORT_MARGINAL", "the connection to the drive is marginal"},
};

constexpr CodeWords kDriverStatuses[] = {
    {0x00, "DRIVER_OK", "no error"},
    {0x01, "DRIVER_BUSY", "the driver was busy"},
    {0x02, "DRIVER_SOFT", "a soft error of the driver"},
    {0x03, "DRIVER_MEDIA", "a media error reported by the driver"},
    {0x04, "DRIVER_ERROR", "an error of the driver"},
    {0x05, "DRIVER_INVALID", "the driver found the request invalid"},
    {0x06, "DRIVER_TIMEOUT", "the driver timed the command out"},
    {0x07, "DRIVER_HARD", "a hard error of the driver"},
    {0x08, "DRIVER_SENSE", "sense data came with the status"},
};

constexpr CodeWords kAspiRequestStatuses[] = {
    {0x00, "SS_PENDING", "still being processed"},
    {0x01, "SS_COMP", "completed without error"},
    {0x02, "SS_ABORTED", "aborted"},
    {0x03, "SS_ABORT_FAIL", "could not be aborted"},
    {0x04, "SS_ERR", "completed with an error"},
    {0x80, "SS_INVALID_CMD", "not a command ASPI knows"},
    {0x81, "SS_INVALID_HA", "no such host adapter"},
    {0x82, "SS_NO_DEVICE", "no device installed at that address"},
    {0xE0, "SS_INVALID_SRB", "the request holds an invalid setting"},
    {0xE1, "SS_BUFFER_ALIGN", "the buffer is not aligned as the adapter needs"},
    {0xE5, "SS_ASPI_IS_BUSY", "ASPI has no resources for the request now"},
    {0xE6, "SS_BUFFER_TO_BIG", "the transfer is longer than the adapter takes"},
};

constexpr CodeWords kAspiHostAdapterStatuses[] = {
    {0x00, "HASTAT_OK", "no error of the host adapter"},
    {0x09, "HASTAT_TIMEOUT", "timed out while the request waited to be processed"},
    {0x0B, "HASTAT_COMMAND_TIMEOUT", "the adapter timed out processing the request"},
    {0x0D, "HASTAT_MESSAGE_REJECT", "the adapter received a MESSAGE REJECT"},
    {0x0E, "HASTAT_BUS_RESET", "a bus reset was detected"},
    {0x0F, "HASTAT_PARITY_ERROR", "a parity error was detected"},
    {0x10, "HASTAT_REQUEST_SENSE_FAILED", "the adapter could not fetch the sense data"},
    {0x11, "HASTAT_SEL_TO", "selection timeout: no drive answered at that address"},
    {0x12, "HASTAT_DO_DU", "data overrun or underrun"},
    {0x13, "HASTAT_BUS_FREE", "unexpected bus free"},
    {0x14, "HASTAT_PHASE_ERR", "the target failed the bus phase sequence"},
};

constexpr CodeWords kLinuxErrors[] = {
    {1, "EPERM", "operation not permitted"},
    {2, "ENOENT", "no such file"},
    {4, "EINTR", "interrupted"},
    {5, "EIO", "input/output error"},
    {6, "ENXIO", "no such device or address"},
    {12, "ENOMEM", "out of memory"},
    {13, "EACCES", "permission denied"},
    {14, "EFAULT", "bad address"},
    {16, "EBUSY", "device busy"},
    {19, "ENODEV", "no such device: it went away"},
    {21, "EISDIR", "is a directory"},
    {22, "EINVAL", "refused before it reached the drive: a transfer longer than the device takes, or a request "
                   "it cannot carry"},
    {25, "ENOTTY", "the file takes no SCSI commands"},
    {110, "ETIMEDOUT", "timed out"},
};

constexpr CodeWords kWindowsErrors[] = {
    {1, "ERROR_INVALID_FUNCTION", "the driver does not take this request"},
    {2, "ERROR_FILE_NOT_FOUND", "no such file"},
    {5, "ERROR_ACCESS_DENIED", "access denied"},
    {6, "ERROR_INVALID_HANDLE", "the handle is not valid"},
    {21, "ERROR_NOT_READY", "the device is not ready"},
    {23, "ERROR_CRC", "a data error (cyclic redundancy check)"},
    {31, "ERROR_GEN_FAILURE", "a device attached to the system is not functioning"},
    {50, "ERROR_NOT_SUPPORTED", "the request is not supported"},
    {55, "ERROR_DEV_NOT_EXIST", "the device does not exist any more"},
    {87, "ERROR_INVALID_PARAMETER", "a parameter is not valid: a transfer longer than the adapter takes, or a "
                                    "request it cannot carry"},
    {121, "ERROR_SEM_TIMEOUT", "the time-out period expired"},
    {170, "ERROR_BUSY", "the device is in use"},
    {1117, "ERROR_IO_DEVICE", "an I/O device error"},
    {1167, "ERROR_DEVICE_NOT_CONNECTED", "the device is not connected"},
    {1460, "ERROR_TIMEOUT", "the operation timed out"},
};

constexpr std::uint16_t kDriverSense = 0x08;

void AppendCode(TextBuffer& text, const char* label, unsigned code, const CodeWords* words) {
    text.AppendFormat("%s 0x%02X", label, code);
    if (words != nullptr) text.AppendFormat(" %s (%s)", words->name, words->meaning);
}


constexpr CodeWords kScsiStatuses[] = {
    {0x00, "GOOD", nullptr},
    {0x02, "CHECK CONDITION", nullptr},
    {0x04, "CONDITION MET", nullptr},
    {0x08, "BUSY", nullptr},
    {0x18, "RESERVATION CONFLICT", nullptr},
    {0x28, "TASK SET FULL", nullptr},
    {0x30, "ACA ACTIVE", nullptr},
    {0x40, "TASK ABORTED", nullptr},
};

// Null when the table lacks the pair.
const char* AdditionalSenseMeaning(std::uint8_t asc, std::uint8_t ascq) {
    for (const SenseMeaning& meaning : kMeanings)
        if (meaning.asc == asc && meaning.ascq == ascq) return meaning.text;
    return nullptr;
}

struct SenseFields {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
};

// The key and codes of fixed (0x70, 0x71) or descriptor (0x72, 0x73)
// format sense data; false for anything else or data too short to hold them.
bool ReadSenseFields(const std::uint8_t* sense, std::uint8_t length, SenseFields& fields) {
    if (length < 1) return false;
    const std::uint8_t code = sense[0] & 0x7F;
    if ((code == 0x70 || code == 0x71) && length >= 14) {
        fields = SenseFields{static_cast<std::uint8_t>(sense[2] & 0x0F), sense[12], sense[13]};
        return true;
    }
    if ((code == 0x72 || code == 0x73) && length >= 4) {
        fields = SenseFields{static_cast<std::uint8_t>(sense[1] & 0x0F), sense[2], sense[3]};
        return true;
    }
    return false;
}

void AppendTransportOutcome(const CommandReport& report, TextBuffer& text) {
    if (report.systemError != 0) {
        const bool errnoCode = report.carrier == CommandCarrier::SgIo;
        const CodeWords* words = errnoCode ? Find(kLinuxErrors, report.systemError)
                                             : Find(kWindowsErrors, report.systemError);
        text.AppendFormat("; the system refused it: %s %lu", errnoCode ? "errno" : "error",
                          static_cast<unsigned long>(report.systemError));
        if (words != nullptr) text.AppendFormat(" %s (%s)", words->name, words->meaning);
        return;
    }
    // A plain ending (SG_IO: DID_OK, and DRIVER_OK or DRIVER_SENSE) adds
    // nothing; the NT pass-through has no statuses of its own.
    if (!TransportStatusFailed(report)) return;
    text.Append("; ");
    if (report.carrier == CommandCarrier::SgIo) {
        AppendCode(text, "host status", report.hostStatus, Find(kHostStatuses, report.hostStatus));
        text.Append(", ");
        AppendCode(text, "driver status", report.driverStatus, Find(kDriverStatuses, report.driverStatus & 0x0Fu));
    } else {
        AppendCode(text, "ASPI status", report.requestStatus, Find(kAspiRequestStatuses, report.requestStatus));
        text.Append(", ");
        AppendCode(text, "host adapter status", report.hostStatus,
                   Find(kAspiHostAdapterStatuses, static_cast<std::uint8_t>(report.hostStatus)));
    }
}

}  // namespace

bool TransportStatusFailed(const CommandReport& report) {
    switch (report.carrier) {
    case CommandCarrier::SgIo: {
        const unsigned driver = report.driverStatus & 0x0Fu;
        return report.hostStatus != 0 || (driver != 0 && driver != kDriverSense);
    }
    case CommandCarrier::Aspi:
        // SS_ERR with HASTAT_OK: the drive's SCSI status tells the failure.
        return report.requestStatus != aspi::SS_COMP &&
               !(report.requestStatus == aspi::SS_ERR && report.hostStatus == 0);
    case CommandCarrier::PassThrough:
    case CommandCarrier::None:
        break;
    }
    return false;
}

void AppendCommandPurpose(const CommandReport& report, TextBuffer& text) {
    const unsigned blocks = static_cast<unsigned>(kImageSize / kBlockSize);
    if (report.cdb[0] == commands::kOpVendorDownload) {
        // The block number travels in byte 10.
        text.AppendFormat("block %u of %u of the download", static_cast<unsigned>(report.cdb[10]), blocks);
        return;
    }
    if (report.cdb[0] == commands::kOpReadBuffer && report.length == kBlockSize) {
        // Buffer id and 16-bit offset: together the byte offset in the image.
        const std::uint32_t offset = (static_cast<std::uint32_t>(report.cdb[2]) << 16) |
                                     (static_cast<std::uint32_t>(report.cdb[4]) << 8) | report.cdb[5];
        text.AppendFormat("block %lu of %u of the read-out", static_cast<unsigned long>(offset / kBlockSize + 1), blocks);
        return;
    }
    text.AppendFormat("command %02Xh", static_cast<unsigned>(report.cdb[0]));
}

void AppendCommandBytes(const CommandReport& report, TextBuffer& text) {
    for (std::uint8_t i = 0; i < report.cdbLength && i < sizeof report.cdb; ++i)
        text.AppendFormat(i == 0 ? "%02X" : " %02X", static_cast<unsigned>(report.cdb[i]));
    if (report.length == 0)
        text.Append(" (no data)");
    else
        text.AppendFormat(" (%s, %lu bytes)", report.direction == commands::Direction::In ? "in" : "out",
                          static_cast<unsigned long>(report.length));
}

void AppendCommandOutcome(const CommandReport& report, TextBuffer& text) {
    if (report.good) {
        text.Append("good");
        return;
    }
    if (!report.answered) {
        text.Append("no SCSI status (the request did not complete)");
    } else {
        const CodeWords* status = Find(kScsiStatuses, report.scsiStatus);
        text.AppendFormat("SCSI status 0x%02X %s", static_cast<unsigned>(report.scsiStatus),
                          status != nullptr ? status->name : "(unknown)");
        SenseFields fields;
        if (ReadSenseFields(report.sense, report.senseLength, fields)) {
            text.AppendFormat(", sense key 0x%X %s, ASC/ASCQ 0x%02X/0x%02X", static_cast<unsigned>(fields.key),
                              kSenseKeyNames[fields.key & 0x0F], static_cast<unsigned>(fields.asc),
                              static_cast<unsigned>(fields.ascq));
            const char* meaning = AdditionalSenseMeaning(fields.asc, fields.ascq);
            if (meaning != nullptr) text.AppendFormat(" (%s)", meaning);
        } else if (report.scsiStatus == 0x02) {
            text.Append(", no sense data");
        }
    }
    AppendTransportOutcome(report, text);
}
