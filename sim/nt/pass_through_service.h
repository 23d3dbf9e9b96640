#pragma once
// How the simulated NT storage stack carries out IOCTL_SCSI_PASS_THROUGH and
// IOCTL_SCSI_PASS_THROUGH_DIRECT for one volume, as the platform does:
//
// - Both codes are METHOD_BUFFERED. The input bytes are copied into one
//   system buffer of max(input, output) bytes (the rest zero); the request
//   header is read from there, and afterwards the bytes the request returned
//   (header, and for buffered data-in the data area) are copied back into
//   the output buffer, never more than its length.
// - The request is refused, before the drive sees anything, when the input
//   is shorter than the header, when Length is not the header's size
//   (revision mismatch), when the output cannot take the header back, when
//   CdbLength exceeds 16 or DataIn is not 0, 1 or 2, when TimeOutValue is 0
//   or beyond 30 hours, when the data length exceeds the adapter's maximum
//   transfer, when the sense area lies before the end of the header or
//   beyond the output buffer, when a buffered data area lies before the end
//   of the header or beyond the buffer it travels in (output for data-in,
//   input for data-out, both when unspecified), or when a direct request's
//   DataBuffer is null while its length is not 0.
// - An accepted request runs the CDB against the volume's target: good gives
//   ScsiStatus 0, check condition gives 2 (the call itself succeeds in both
//   cases; the simulated drives give no sense bytes, so SenseInfoLength comes
//   back 0). A target that does not answer fails the call (device error).
//   A command that never completes, or whose latency reaches TimeOutValue,
//   is ended at its time-out on the real system; here it fails at once with
//   the time-out error instead of blocking the caller for that long.
// - A shorter latency is waited out before the call returns.

#include <cstdint>

#include "scsi_target.h"


namespace sim {

struct PassThroughOutcome {
    int result = 0;                   // what DeviceIoControl returns: nonzero on success
    std::uint32_t error = 0;          // the error code of a failed call (nt_error)
    bool reachedTarget = false;       // the CDB was handed to the target
    std::uint8_t scsiStatus = 0;      // the status written back, when it reached the target
};

class PassThroughService {
public:
    // The adapter's maximum transfer length: larger requests are refused.
    static constexpr std::uint32_t kMaxTransferLength = 0x10000;
    // The platform's upper bound on TimeOutValue (30 hours, in seconds).
    static constexpr std::uint32_t kMaxTimeOutValue = 30u * 60u * 60u;

    // `code` is one of the two pass-through control codes; `in` and `out`
    // have been checked to be reachable for their lengths.
    PassThroughOutcome Handle(std::uint32_t code, const void* in, std::uint32_t inLength, void* out,
                              std::uint32_t outLength, ScsiTarget& target);

    // Whether latencies below the time-out are waited out (on by default).
    void SetHonourLatency(bool honour) { honourLatency_ = honour; }

private:
    bool honourLatency_ = true;
};

}  // namespace sim
