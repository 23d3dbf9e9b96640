#pragma once
// Builds the SG_IO request for one command of the command set and judges
// its outcome. The lengths and time-outs are those of the pass-through
// transport (INQUIRY 512 bytes of data, MODE SENSE 100, 256 s; the vendor
// download 25000 s); SG_IO takes the time-out in milliseconds.

#include <cstddef>

#include "device/command_set.h"
#include "platform/sg_io_header.h"

namespace sgio {

// Sense bytes asked for, the same as the pass-through transport asks for;
// a sense buffer must hold at least this many.
constexpr unsigned char kSenseLength = 24;

// Fills `request` afresh (every other field zero) for `command`: its CDB
// (the header points into `command`, which must outlive the request), its
// direction and transfer length (no data phase when the length is 0), its
// time-out in milliseconds, `data` (at least transferLength bytes; null when
// the length is 0) and `sense` (kSenseLength bytes).
void FillRequest(const commands::Command& command, void* data, unsigned char* sense, SgIoHeader& request);
// A temporary command would leave the request pointing at a CDB that is gone.
void FillRequest(const commands::Command&& command, void* data, unsigned char* sense, SgIoHeader& request) = delete;

// A command succeeded only when the ioctl itself succeeded (`ioctlResult`
// 0) and the SCSI status, the host status and the driver status all read
// good (0).
bool RequestSucceeded(int ioctlResult, const SgIoHeader& request);

}  // namespace sgio
