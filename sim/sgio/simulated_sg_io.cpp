#include "simulated_sg_io.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace sim {
namespace {

// The sense data of a failed command, fetched from the target with REQUEST
// SENSE as the kernel's drivers do (a host adapter's auto-sense, or
// usb-storage after a failed Bulk-Only command); a target that gives none
// leaves a blank fixed-format answer.
void WriteSense(ScsiTarget& target, sgio::SgIoHeader& request) {
    unsigned char sense[18] = {0x70, 0, 0, 0, 0, 0, 0, 10};
    const unsigned char requestSense[6] = {0x03, 0, 0, 0, sizeof sense, 0};
    if (target.Execute(requestSense, sizeof requestSense, DataDirection::In, sense, sizeof sense) != ScsiOutcome::Good)
        std::memset(sense + 1, 0, sizeof sense - 1);
    const unsigned char length = request.mx_sb_len < sizeof sense ? request.mx_sb_len : sizeof sense;
    if (request.sbp != nullptr && length > 0) std::memcpy(request.sbp, sense, length);
    request.sb_len_wr = request.sbp != nullptr ? length : 0;
}

}  // namespace

bool ReadSafeCommand(unsigned char operationCode) {
    switch (operationCode) {
    case 0x00:  // TEST UNIT READY
    case 0x12:  // INQUIRY
    case 0x1A:  // MODE SENSE(6)
    case 0x5A:  // MODE SENSE(10)
    case 0x3C:  // READ BUFFER
        return true;
    default:
        return false;
    }
}

int AnswerSgIo(ScsiTarget* target, sgio::SgIoHeader& request, bool mayUseRawIo) {
    if (request.interface_id != sgio::kInterfaceId) return EINVAL;
    if (request.cmd_len < 6 || request.cmd_len > 16 || request.cmdp == nullptr) return EINVAL;
    DataDirection direction = DataDirection::None;
    if (request.dxfer_direction == sgio::kDxferFromDev)
        direction = DataDirection::In;
    else if (request.dxfer_direction == sgio::kDxferToDev)
        direction = DataDirection::Out;
    else if (request.dxfer_direction != sgio::kDxferNone)
        return EINVAL;
    const std::uint32_t length = direction == DataDirection::None ? 0 : request.dxfer_len;
    if (length > 0 && request.dxferp == nullptr) return EFAULT;
    if (!mayUseRawIo && !ReadSafeCommand(request.cmdp[0])) return EPERM;

    request.status = request.masked_status = request.msg_status = request.sb_len_wr = 0;
    request.host_status = request.driver_status = 0;
    request.resid = 0;
    request.duration = 0;
    request.info = 0;
    if (target == nullptr) {
        request.host_status = kHostNoConnect;
        request.info = 1;  // SG_INFO_CHECK: something other than a good ending
        return 0;
    }
    const std::uint32_t latency = target->LatencyMs();
    if (latency > 0) std::this_thread::sleep_for(std::chrono::milliseconds(latency));
    const ScsiOutcome outcome = target->Execute(request.cmdp, request.cmd_len, direction,
                                                static_cast<std::uint8_t*>(request.dxferp), length);
    request.duration = latency;
    switch (outcome) {
    case ScsiOutcome::Good:
        break;
    case ScsiOutcome::CheckCondition:
        request.status = kStatusCheckCondition;
        request.masked_status = kStatusCheckCondition >> 1;
        request.driver_status = kDriverSense;
        WriteSense(*target, request);
        request.info = 1;
        break;
    case ScsiOutcome::NoDevice:
        request.host_status = kHostNoConnect;
        request.info = 1;
        break;
    case ScsiOutcome::NeverCompletes:
        // The kernel ends the command when its time-out passes; the
        // simulation does not wait that long.
        request.host_status = kHostTimeOut;
        request.duration = request.timeout;
        request.info = 1;
        break;
    }
    return 0;
}

}  // namespace sim
