#include "scsi_transport.h"

#include <cstring>

#include "command_set.h"

ScsiTransport::ScsiTransport() { ZeroCurrent(); }

ScsiTransport::~ScsiTransport() = default;

void ScsiTransport::ZeroCurrent() { std::memset(&current, 0, sizeof current); }

int ScsiTransport::PrepareCurrent() {
    current.versionMajor = 0;
    current.versionMinor = 0;
    current.imageSize = kImageSize;
    return 1;
}

void ScsiTransport::CopyToCurrent(const DeviceRecord& record) {
    std::memcpy(&current, &record, sizeof current);
}

int ScsiTransport::AcceptInquiry(const std::uint8_t* data) {
    if (!commands::InquiryAccepted(data)) return 0;
    commands::CopyInquiryFields(data, current);
    return 1;
}

void ScsiTransport::AcceptModeSense(const std::uint8_t* data) {
    dvdRomOnly = commands::DvdRomOnlyFromModeSense(data);
}
