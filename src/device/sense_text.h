#pragma once
// The words for what a drive answers to a command: SCSI status names,
// sense key names, and the standard meaning of the common additional sense
// codes (ASC/ASCQ) of SPC and MMC, not all of them.

#include <cstdint>

#include "device/command_report.h"
#include "platform/fixed_text.h"

// "CHECK CONDITION" for 0x02; null for a status without a name here.
const char* ScsiStatusName(std::uint8_t status);
// "ILLEGAL REQUEST" for 0x5.
const char* SenseKeyName(std::uint8_t key);
// "invalid field in CDB" for 0x24/0x00; null when the table lacks the pair.
const char* AdditionalSenseMeaning(std::uint8_t asc, std::uint8_t ascq);

struct SenseFields {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
};
// The key and codes of fixed (0x70, 0x71) or descriptor (0x72, 0x73)
// format sense data; false for anything else or data too short to hold them.
bool ReadSenseFields(const std::uint8_t* sense, std::uint8_t length, SenseFields& fields);

// What the command is about, for a person waiting on it: "block 5 of 8 of
// the download" (the vendor download command), "block 3 of 8 of the
// read-out" (READ BUFFER of the firmware), else "command 12h".
void AppendCommandPurpose(const CommandReport& report, TextBuffer& text);
// The command's bytes, direction and length: "FD 00 .. (out, 16384 bytes)".
void AppendCommandBytes(const CommandReport& report, TextBuffer& text);
// What the drive and the transport said: "good", or the SCSI status by
// name, the sense key by name and ASC/ASCQ in hex with their meaning where
// known, and what the transport said in words (transport_status_text.h).
void AppendCommandOutcome(const CommandReport& report, TextBuffer& text);
