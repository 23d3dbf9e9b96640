#include "device/command_set.h"

#include <cstring>

namespace commands {
namespace {

Command Make(std::initializer_list<std::uint8_t> bytes, std::uint8_t cdbLength, Direction direction,
             std::uint32_t transferLength, std::uint32_t timeout = kDefaultTimeoutSeconds) {
    Command c;
    std::size_t i = 0;
    for (std::uint8_t b : bytes) c.cdb[i++] = b;
    c.cdbLength = cdbLength;
    c.direction = direction;
    c.transferLength = transferLength;
    c.timeoutSeconds = timeout;
    return c;
}

Command InReplyArea(Command command) {
    command.usesReplyArea = true;
    return command;
}

std::uint8_t Hi(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); }
std::uint8_t Lo(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

// READ BUFFER / WRITE BUFFER: 24-bit offset and length fields whose top
// byte is always 0; the 16-bit arguments fill the two lower bytes.
Command Buffer(std::uint8_t op, std::uint8_t mode, std::uint8_t bufferId, std::uint16_t offset,
               std::uint16_t length, std::uint8_t control, Direction direction) {
    return Make({op, mode, bufferId, 0x00, Hi(offset), Lo(offset), 0x00, Hi(length), Lo(length), control},
                10, direction, length);
}

}  // namespace

Command Inquiry(Backend backend) {
    // ASPI asks for 100 bytes into its own 100-byte buffer; the pass-through
    // record has a 512-byte data area and asks for 192 (C0h).
    if (backend == Backend::Aspi)
        return InReplyArea(Make({kOpInquiry, 0x00, 0x00, 0x00, 0x64, 0x00}, 6, Direction::In, kInquiryAspiLength));
    return InReplyArea(
        Make({kOpInquiry, 0x00, 0x00, 0x00, 0xC0, 0x00}, 6, Direction::In, kInquiryPassThroughLength));
}

Command TestUnitReady() {
    // Sent with the 12-byte ATAPI packet length on both back ends.
    return InReplyArea(Make({}, 12, Direction::In, 0));
}

Command ModeSense(Backend backend) {
    // MODE SENSE(10), capabilities page, current values, allocation 100.
    // ASPI sends it as a 12-byte ATAPI packet (two more zero bytes).
    const std::uint8_t cdbLength = backend == Backend::Aspi ? 12 : 10;
    return InReplyArea(Make({kOpModeSense10, 0x00, kCapabilitiesPage, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00},
                            cdbLength, Direction::In, kModeSenseLength));
}

Command ReadBufferMode2(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length) {
    return Buffer(kOpReadBuffer, 0x02, bufferId, offset, length, 0x00, Direction::In);
}

Command ReadBufferMode1(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length) {
    return Buffer(kOpReadBuffer, 0x01, bufferId, offset, length, 0x01, Direction::In);
}

Command WriteBufferMode7(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length) {
    return Buffer(kOpWriteBuffer, 0x07, bufferId, offset, length, 0x00, Direction::Out);
}

Command WriteBufferMode4() { return Make({kOpWriteBuffer, 0x04}, 10, Direction::Out, 0); }

Command VendorDownload(std::uint8_t blockNumber, std::uint16_t blockSum, std::uint16_t length,
                       std::uint16_t imageSum) {
    return Make({kOpVendorDownload, 0x07, kVendorSignature[0], kVendorSignature[1], kVendorSignature[2],
                 kVendorSignature[3], Hi(blockSum), Lo(blockSum), Hi(imageSum), Lo(imageSum), blockNumber, 0x08},
                12, Direction::Out, length, kVendorDownloadTimeoutSeconds);
}

bool InquiryAccepted(const std::uint8_t* data) { return (data[0] & 0x1F) == 0x05; }

void CopyInquiryFields(const std::uint8_t* data, DeviceRecord& record) {
    std::memcpy(record.vendorId, data + 8, 8);
    std::memcpy(record.productId, data + 16, 16);
    std::memcpy(record.productRevision, data + 32, 6);
    std::memcpy(record.identity, data + 8, 24);
}

int DvdRomOnlyFromModeSense(const std::uint8_t* data) {
    if (data[11] & 0x03) return 0;  // writes CD-R or CD-RW
    return (data[10] & 0x08) ? 1 : 0;  // reads DVD-ROM
}

}  // namespace commands
