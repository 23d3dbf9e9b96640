#include "device/scsi_transport.h"

ScsiTransport::ScsiTransport() { ZeroCurrent(); }

int ScsiTransport::Issue(const commands::Command& command, std::uint8_t* data) {
    lastCommand_.Begin(command);
    if (observer_ != nullptr) observer_->CommandStarts(lastCommand_);
    const int result = Send(command, data);
    lastCommand_.good = result != 0;
    if (observer_ != nullptr) observer_->CommandEnded(lastCommand_);
    return result;
}

void ScsiTransport::ListCurrent(DeviceList& list) {
    TestUnitReady();
    TestUnitReady();
    Prepare();
    list.Append(current);
}

void CommandReport::Answer(std::uint8_t status, const std::uint8_t* senseData, std::uint32_t length) {
    answered = true;
    scsiStatus = status;
    senseLength = static_cast<std::uint8_t>(length < kKeptSenseLength ? length : kKeptSenseLength);
    if (senseData != nullptr && senseLength > 0) std::memcpy(sense, senseData, senseLength);
    else senseLength = 0;
}
