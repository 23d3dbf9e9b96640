#include "device/sense_text.h"

#include "device/transport_status_text.h"

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

}  // namespace

const char* ScsiStatusName(std::uint8_t status) {
    switch (status) {
    case 0x00: return "GOOD";
    case 0x02: return "CHECK CONDITION";
    case 0x04: return "CONDITION MET";
    case 0x08: return "BUSY";
    case 0x18: return "RESERVATION CONFLICT";
    case 0x28: return "TASK SET FULL";
    case 0x30: return "ACA ACTIVE";
    case 0x40: return "TASK ABORTED";
    default: return nullptr;
    }
}

const char* SenseKeyName(std::uint8_t key) { return kSenseKeyNames[key & 0x0F]; }

const char* AdditionalSenseMeaning(std::uint8_t asc, std::uint8_t ascq) {
    for (const SenseMeaning& meaning : kMeanings)
        if (meaning.asc == asc && meaning.ascq == ascq) return meaning.text;
    return nullptr;
}

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
        const char* name = ScsiStatusName(report.scsiStatus);
        text.AppendFormat("SCSI status 0x%02X %s", static_cast<unsigned>(report.scsiStatus),
                          name != nullptr ? name : "(unknown)");
        SenseFields fields;
        if (ReadSenseFields(report.sense, report.senseLength, fields)) {
            text.AppendFormat(", sense key 0x%X %s, ASC/ASCQ 0x%02X/0x%02X", static_cast<unsigned>(fields.key),
                              SenseKeyName(fields.key), static_cast<unsigned>(fields.asc),
                              static_cast<unsigned>(fields.ascq));
            const char* meaning = AdditionalSenseMeaning(fields.asc, fields.ascq);
            if (meaning != nullptr) text.AppendFormat(" (%s)", meaning);
        } else if (report.scsiStatus == 0x02) {
            text.Append(", no sense data");
        }
    }
    AppendTransportOutcome(report, text);
}
