#pragma once
// The words for what a transport itself says of a command, beside the
// drive's SCSI status: each transport has codes of its own. SG_IO: the
// header's host_status (DID_*) and driver_status (DRIVER_*), as the Linux
// kernel's SCSI headers publish them, and errno when the ioctl failed.
// ASPI for Win32: the request's SRB_Status (SS_*) and the host adapter's
// SRB_HaStat (HASTAT_*). NT pass-through: the system's error code only.

#include <cstdint>

#include "device/command_report.h"
#include "platform/fixed_text.h"

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
