#include "device/scsi_transport.h"

#include <cstring>

ScsiTransport::ScsiTransport() { ZeroCurrent(); }

ScsiTransport::~ScsiTransport() = default;

void ScsiTransport::ZeroCurrent() { std::memset(&current, 0, sizeof current); }

void ScsiTransport::CopyToCurrent(const DeviceRecord& record) { std::memcpy(&current, &record, sizeof current); }

int ScsiTransport::Inquiry() {
    if (!Issue(commands::Inquiry(backend()), nullptr)) return 0;
    if (!commands::InquiryAccepted(Reply())) return 0;
    commands::CopyInquiryFields(Reply(), current);
    return 1;
}

int ScsiTransport::Prepare() {
    current.versionMajor = 0;
    current.versionMinor = 0;
    current.imageSize = kImageSize;
    return 1;
}

int ScsiTransport::ModeSense() {
    if (!Issue(commands::ModeSense(backend()), nullptr)) return 0;
    dvdRomOnly = commands::DvdRomOnlyFromModeSense(Reply());
    return 1;
}

int ScsiTransport::ReadBufferMode2(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                   std::uint16_t length) {
    return Issue(commands::ReadBufferMode2(bufferId, offset, length), data);
}

int ScsiTransport::ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                   std::uint16_t length) {
    return Issue(commands::ReadBufferMode1(bufferId, offset, length), data);
}

// The platforms only read a data-out buffer, but their records carry a
// pointer to writable memory; the data are not changed.
int ScsiTransport::WriteBufferMode7(const std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                    std::uint16_t length) {
    return Issue(commands::WriteBufferMode7(bufferId, offset, length), const_cast<std::uint8_t*>(data));
}

int ScsiTransport::WriteBufferMode4() { return Issue(commands::WriteBufferMode4(), nullptr); }

int ScsiTransport::TestUnitReady() { return Issue(commands::TestUnitReady(), nullptr); }

int ScsiTransport::VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber, std::uint16_t blockSum,
                                  std::uint16_t length, std::uint16_t imageSum) {
    return Issue(commands::VendorDownload(blockNumber, blockSum, length, imageSum), const_cast<std::uint8_t*>(data));
}

int ScsiTransport::Issue(const commands::Command& command, std::uint8_t* data) {
    lastCommand_.Begin(command);
    if (observer_ != nullptr) observer_->CommandStarts(lastCommand_);
    const int result = Send(command, data);
    lastCommand_.good = result != 0;
    if (observer_ != nullptr) observer_->CommandEnded(lastCommand_);
    return result;
}

void CommandReport::Begin(const commands::Command& command) {
    *this = CommandReport{};
    std::memcpy(cdb, command.cdb.data(), sizeof cdb);
    cdbLength = command.cdbLength;
    direction = command.direction;
    length = command.transferLength;
}

void CommandReport::Refuse(const char* text) {
    std::size_t length = std::strlen(text);
    if (length >= kRefusalRoom) length = kRefusalRoom - 1;
    std::memcpy(refusal, text, length);
    refusal[length] = '\0';
}

void CommandReport::Answer(std::uint8_t status, const std::uint8_t* senseData, std::uint32_t length) {
    answered = true;
    scsiStatus = status;
    senseLength = static_cast<std::uint8_t>(length < kKeptSenseLength ? length : kKeptSenseLength);
    if (senseData != nullptr && senseLength > 0) std::memcpy(sense, senseData, senseLength);
    else senseLength = 0;
}
