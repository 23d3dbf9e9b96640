#include "device/sg_io_request.h"

#include <cstring>

namespace sgio {

void FillRequest(const commands::Command& command, void* data, unsigned char* sense, SgIoHeader& request) {
    std::memset(&request, 0, sizeof request);
    request.interface_id = kInterfaceId;
    if (command.transferLength == 0)
        request.dxfer_direction = kDxferNone;
    else
        request.dxfer_direction = command.direction == commands::Direction::In ? kDxferFromDev : kDxferToDev;
    request.cmd_len = command.cdbLength;
    request.mx_sb_len = kSenseLength;
    request.dxfer_len = command.transferLength;
    request.dxferp = command.transferLength == 0 ? nullptr : data;
    // The kernel only reads the CDB; the header's field is not const.
    request.cmdp = const_cast<unsigned char*>(command.cdb.data());
    request.sbp = sense;
    request.timeout = command.timeoutSeconds * 1000u;
}

bool RequestSucceeded(int ioctlResult, const SgIoHeader& request) {
    return ioctlResult == 0 && request.status == 0 && request.host_status == 0 && request.driver_status == 0;
}

}  // namespace sgio
