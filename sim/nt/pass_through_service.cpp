#include "pass_through_service.h"


#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "nt_errors.h"

#include "platform/pass_through_records.h"

namespace sim {
namespace {

using passthrough::ScsiPassThrough;
using passthrough::ScsiPassThroughDirect;

PassThroughOutcome Refused(std::uint32_t error) {
    PassThroughOutcome outcome;
    outcome.result = 0;
    outcome.error = error;
    return outcome;
}

// Whether `length` bytes from `offset` lie inside `limit` bytes, without
// letting a huge offset wrap the sum around.
bool Within(std::uint64_t offset, std::uint64_t length, std::uint64_t limit) {
    return offset <= limit && length <= limit - offset;
}

// The checks both header forms share; kSuccess when the header may go on.
template <typename Header>
std::uint32_t CheckHeader(const Header& header, std::uint32_t outLength) {
    if (header.Length != sizeof(Header)) return nt_error::kRevisionMismatch;
    // The status can only come back in a header-sized output buffer.
    if (outLength < sizeof(Header)) return nt_error::kInvalidParameter;
    if (header.CdbLength > passthrough::kCdbCapacity) return nt_error::kInvalidParameter;
    if (header.DataIn > passthrough::kDataUnspecified) return nt_error::kInvalidParameter;
    if (header.TimeOutValue == 0 || header.TimeOutValue > PassThroughService::kMaxTimeOutValue)
        return nt_error::kInvalidParameter;
    if (header.DataTransferLength > PassThroughService::kMaxTransferLength) return nt_error::kInvalidParameter;
    if (header.SenseInfoLength != 0) {
        if (header.SenseInfoOffset < sizeof(Header)) return nt_error::kInvalidParameter;
        if (!Within(header.SenseInfoOffset, header.SenseInfoLength, outLength)) return nt_error::kInvalidParameter;
    }
    return nt_error::kSuccess;
}

template <typename Header>
DataDirection DirectionOf(const Header& header) {
    if (header.DataTransferLength == 0) return DataDirection::None;
    // An unspecified direction lets the data go both ways; the drive is
    // asked as for data-in, the direction in which it can hand bytes back.
    return header.DataIn == passthrough::kDataOut ? DataDirection::Out : DataDirection::In;
}

// Runs the CDB and turns the target's answer into the call's outcome.
template <typename Header>
PassThroughOutcome Run(ScsiTarget& target, const Header& header, std::uint8_t* data, bool honourLatency) {
    PassThroughOutcome outcome;
    outcome.reachedTarget = true;
    const ScsiOutcome answer =
        target.Execute(header.Cdb, header.CdbLength, DirectionOf(header), data, header.DataTransferLength);
    const std::uint64_t latencyMs = target.LatencyMs();
    if (answer == ScsiOutcome::NeverCompletes || latencyMs >= std::uint64_t{header.TimeOutValue} * 1000u) {
        // The platform would abort the command after TimeOutValue seconds.
        outcome.error = nt_error::kSemTimeout;
        return outcome;
    }
    if (answer == ScsiOutcome::NoDevice) {
        outcome.error = nt_error::kIoDevice;
        return outcome;
    }
    if (honourLatency && latencyMs != 0) std::this_thread::sleep_for(std::chrono::milliseconds(latencyMs));
    outcome.result = 1;
    outcome.scsiStatus = answer == ScsiOutcome::Good ? 0x00 : 0x02;
    return outcome;
}

// The header as it goes back to the caller.
template <typename Header>
void UpdateHeader(Header& header, const PassThroughOutcome& outcome) {
    header.ScsiStatus = outcome.scsiStatus;
    header.SenseInfoLength = 0;  // the simulated targets give no sense bytes
    if (outcome.scsiStatus != 0 && DirectionOf(header) == DataDirection::In) header.DataTransferLength = 0;
}

}  // namespace

PassThroughOutcome PassThroughService::Handle(std::uint32_t code, const void* in, std::uint32_t inLength, void* out,
                                              std::uint32_t outLength, ScsiTarget& target) {
    // METHOD_BUFFERED: the driver works on a copy of the input.
    std::vector<std::uint8_t> system(std::max(inLength, outLength), 0);
    if (inLength != 0) std::memcpy(system.data(), in, inLength);

    if (code == passthrough::kIoctlScsiPassThrough) {
        ScsiPassThrough header;
        if (inLength < sizeof header) return Refused(nt_error::kInvalidParameter);
        std::memcpy(&header, system.data(), sizeof header);
        if (const std::uint32_t error = CheckHeader(header, outLength)) return Refused(error);
        const std::uint32_t length = header.DataTransferLength;
        std::uint8_t* data = nullptr;
        if (length != 0) {
            // The data travel inside the buffers: in the output for data-in,
            // in the input for data-out, in both when unspecified.
            if (header.DataBufferOffset < sizeof header) return Refused(nt_error::kInvalidParameter);
            if (header.DataIn != passthrough::kDataOut && !Within(header.DataBufferOffset, length, outLength))
                return Refused(nt_error::kInvalidParameter);
            if (header.DataIn != passthrough::kDataIn && !Within(header.DataBufferOffset, length, inLength))
                return Refused(nt_error::kInvalidParameter);
            data = system.data() + header.DataBufferOffset;
        }
        PassThroughOutcome outcome = Run(target, header, data, honourLatency_);
        if (!outcome.result) return outcome;
        UpdateHeader(header, outcome);
        std::memcpy(system.data(), &header, sizeof header);
        std::size_t returned = sizeof header;
        if (outcome.scsiStatus == 0 && DirectionOf(header) == DataDirection::In)
            returned = static_cast<std::size_t>(header.DataBufferOffset) + length;
        std::memcpy(out, system.data(), std::min<std::size_t>(returned, outLength));
        return outcome;
    }

    // IOCTL_SCSI_PASS_THROUGH_DIRECT: only the header travels in the buffers.
    ScsiPassThroughDirect header;
    if (inLength < sizeof header) return Refused(nt_error::kInvalidParameter);
    std::memcpy(&header, system.data(), sizeof header);
    if (const std::uint32_t error = CheckHeader(header, outLength)) return Refused(error);
    // The platform cannot lock down a null buffer for the transfer.
    if (header.DataTransferLength != 0 && header.DataBuffer == nullptr) return Refused(nt_error::kNoAccess);
    std::uint8_t* data = header.DataTransferLength != 0 ? static_cast<std::uint8_t*>(header.DataBuffer) : nullptr;
    PassThroughOutcome outcome = Run(target, header, data, honourLatency_);
    if (!outcome.result) return outcome;
    UpdateHeader(header, outcome);
    std::memcpy(out, &header, sizeof header);
    return outcome;
}

}  // namespace sim
