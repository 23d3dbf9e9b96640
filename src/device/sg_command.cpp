#include "device/sg_command.h"

#include "device/sg_io_request.h"

namespace sgio {

CommandOutcome SendCommand(OpenedScsiDevice& device, const commands::Command& command, void* data) {
    CommandOutcome outcome;
    SgIoHeader request;
    FillRequest(command, data, outcome.sense, request);
    outcome.error = device.Send(request);
    outcome.succeeded = RequestSucceeded(outcome.error == DeviceError::None ? 0 : -1, request);
    if (outcome.error == DeviceError::None) {
        outcome.scsiStatus = request.status;
        outcome.hostStatus = request.host_status;
        outcome.driverStatus = request.driver_status;
        outcome.senseLength = request.sb_len_wr < kSenseLength ? request.sb_len_wr : kSenseLength;
    }
    return outcome;
}

}  // namespace sgio
