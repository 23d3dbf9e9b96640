#pragma once
// The words for what a command's report says. What the drive answered: SCSI
// status names, sense key names, and the standard meaning of the common
// additional sense codes (ASC/ASCQ) of SPC and MMC, not all of them. What
// a transport itself says beside it, in codes of its own: SG_IO the
// header's host_status (DID_*) and driver_status (DRIVER_*), as the Linux
// kernel's SCSI headers publish them, and errno when the ioctl failed; ASPI
// for Win32 the request's SRB_Status (SS_*) and the host adapter's
// SRB_HaStat (HASTAT_*); the NT pass-through the system's error code only.

#include <cstdint>

#include "device/scsi_transport.h"
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

struct StatusWords {
    const char* name;     // "DID_NO_CONNECT"
    const char* meaning;  // "the drive could not be reached"
};

// Null when the table lacks the code.
const StatusWords* SgIoHostStatusWords(std::uint16_t status);
// The low four bits; the suggestion bits some kernels add are left out.
const StatusWords* SgIoDriverStatusWords(std::uint16_t status);
const StatusWords* AspiRequestStatusWords(std::uint8_t status);
const StatusWords* AspiHostAdapterStatusWords(std::uint8_t status);
// errno values of Linux (its generic numbers, the same on x86 and ARM).
const StatusWords* LinuxErrorWords(std::uint32_t error);
const StatusWords* WindowsErrorWords(std::uint32_t error);

// True when the transport's own statuses say the command failed on its
// way, not at the drive: a host or driver status of SG_IO that is not a
// plain ending, or an ASPI request the host adapter failed.
bool TransportStatusFailed(const CommandReport& report);

// "; host status 0x07 DID_ERROR (...), driver status 0x00 DRIVER_OK" and
// the like for the report's transport, or the system's error in words;
// nothing when the transport has nothing to add.
void AppendTransportOutcome(const CommandReport& report, TextBuffer& text);

// What the command is about, for a person waiting on it: "block 5 of 8 of
// the download" (the vendor download command), "block 3 of 8 of the
// read-out" (READ BUFFER of the firmware), else "command 12h".
void AppendCommandPurpose(const CommandReport& report, TextBuffer& text);
// The command's bytes, direction and length: "FD 00 .. (out, 16384 bytes)".
void AppendCommandBytes(const CommandReport& report, TextBuffer& text);
// What the drive and the transport said: "good", or the SCSI status by
// name, the sense key by name and ASC/ASCQ in hex with their meaning where
// known, and what the transport said in words.
void AppendCommandOutcome(const CommandReport& report, TextBuffer& text);
