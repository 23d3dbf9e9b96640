#pragma once
// The words for what a command's report says. What the drive answered: SCSI
// status names, sense key names, and the standard meaning of the common
// additional sense codes (ASC/ASCQ) of SPC and MMC, not all of them. What
// a transport itself says beside it, in codes of its own: SG_IO the
// header's host_status (DID_*) and driver_status (DRIVER_*), as the Linux
// kernel's SCSI headers publish them, and errno when the ioctl failed; ASPI
// for Win32 the request's SRB_Status (SS_*) and the host adapter's
// SRB_HaStat (HASTAT_*); the NT pass-through the system's error code only.

#include "device/scsi_transport.h"
#include "platform/fixed_text.h"

// True when the transport's own statuses say the command failed on its
// way, not at the drive: a host or driver status of SG_IO that is not a
// plain ending, or an ASPI request the host adapter failed.
bool TransportStatusFailed(const CommandReport& report);

// What the command is about, for a person waiting on it: "block 5 of 8 of
// the download" (the vendor download command), "block 3 of 8 of the
// read-out" (READ BUFFER of the firmware), else "command 12h".
void AppendCommandPurpose(const CommandReport& report, TextBuffer& text);
// The command's bytes, direction and length: "FD 00 .. (out, 16384 bytes)".
void AppendCommandBytes(const CommandReport& report, TextBuffer& text);
// What the drive and the transport said: "good", or the SCSI status by
// name, the sense key by name and ASC/ASCQ in hex with their meaning where
// known, and what the transport said in words ("; host status 0x07
// DID_ERROR (...), driver status 0x00 DRIVER_OK", or the system's error).
void AppendCommandOutcome(const CommandReport& report, TextBuffer& text);
