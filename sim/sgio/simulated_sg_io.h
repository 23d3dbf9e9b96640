#pragma once
// Answers SG_IO requests the way the Linux kernel's SCSI generic driver
// does, with a simulated target behind it: the request checks, the rule
// that only a process with CAP_SYS_RAWIO may send commands beyond the
// read-safe ones, and the statuses a command ends with. Portable, so the
// preload library and in-process tests share it.

#include "scsi_target.h"
#include "platform/sg_io_header.h"

namespace sim {

// SCSI status CHECK CONDITION, host status DID_NO_CONNECT / DID_TIME_OUT,
// driver status DRIVER_SENSE: what a failed command leaves in the header.
constexpr unsigned char kStatusCheckCondition = 0x02;
constexpr unsigned short kHostNoConnect = 0x01;
constexpr unsigned short kHostTimeOut = 0x03;
constexpr unsigned short kDriverSense = 0x08;

// True for the commands the kernel lets any process that may open the
// device send (INQUIRY, TEST UNIT READY, MODE SENSE, READ BUFFER); the
// others need CAP_SYS_RAWIO.
bool ReadSafeCommand(unsigned char operationCode);

// Carries `request` to `target` (null: nothing answers at that address).
// Returns 0 when the ioctl succeeds, with the statuses in the header, or
// the errno it fails with (EINVAL for a malformed request, EFAULT for a
// missing buffer, EPERM for a command the process may not send).
int AnswerSgIo(ScsiTarget* target, sgio::SgIoHeader& request, bool mayUseRawIo);

}  // namespace sim
