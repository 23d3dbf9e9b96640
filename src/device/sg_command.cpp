#include "device/sg_command.h"

#include "device/sg_io_request.h"

namespace sgio {

CommandOutcome SendCommand(OpenedScsiDevice& device, const commands::Command& command, void* data) {
    unsigned char sense[kSenseLength] = {};
    SgIoHeader request;
    FillRequest(command, data, sense, request);
    CommandOutcome outcome;
    outcome.error = device.Send(request);
    outcome.succeeded = RequestSucceeded(outcome.error == DeviceError::None ? 0 : -1, request);
    return outcome;
}

}  // namespace sgio
