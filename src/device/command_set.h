#pragma once
// Every SCSI command the tool sends, built byte for byte in one place: the
// transports carry them their own ways but take the bytes, lengths,
// directions and time-outs from here. Multi-byte CDB numbers are big-endian.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "device/device_list.h"

namespace commands {

enum class Backend { Aspi, PassThrough };

// Data phase as declared to the back end. Commands without data still
// declare a direction (TEST UNIT READY: in; WRITE BUFFER mode 4: out).
enum class Direction { In, Out };

struct Command {
    std::array<std::uint8_t, 16> cdb{};  // unused bytes stay 0
    std::uint8_t cdbLength = 0;
    Direction direction = Direction::In;
    std::uint32_t transferLength = 0;    // bytes in the data phase
    std::uint32_t timeoutSeconds = 0;    // pass-through only; ASPI has none
    // The short status commands (INQUIRY, TEST UNIT READY, MODE SENSE)
    // use the transport's own reply area; every other command moves its
    // data straight from or into the caller's buffer.
    bool usesReplyArea = false;
};

constexpr std::uint32_t kDefaultTimeoutSeconds = 256;
constexpr std::uint32_t kVendorDownloadTimeoutSeconds = 25000;

// INQUIRY and MODE SENSE data land in a buffer of the transport's own.
constexpr std::size_t kAspiDataBufferSize = 100;
constexpr std::size_t kInquiryAspiLength = 100;
constexpr std::size_t kInquiryPassThroughLength = 512;
constexpr std::size_t kModeSenseLength = 100;

constexpr std::uint8_t kOpInquiry = 0x12;
constexpr std::uint8_t kOpTestUnitReady = 0x00;
constexpr std::uint8_t kOpModeSense10 = 0x5A;
constexpr std::uint8_t kOpReadBuffer = 0x3C;
constexpr std::uint8_t kOpWriteBuffer = 0x3B;
constexpr std::uint8_t kOpVendorDownload = 0xFD;
constexpr std::uint8_t kCapabilitiesPage = 0x2A;
// Signature bytes 2..5 of the vendor download command: "QORA".
constexpr std::array<std::uint8_t, 4> kVendorSignature = {0x51, 0x4F, 0x52, 0x41};

inline Command Make(std::initializer_list<std::uint8_t> bytes, std::uint8_t cdbLength, Direction direction,
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

inline Command InReplyArea(Command command) {
    command.usesReplyArea = true;
    return command;
}

inline std::uint8_t Hi(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); }
inline std::uint8_t Lo(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

// READ BUFFER / WRITE BUFFER: 24-bit offset and length fields whose top
// byte is always 0; the 16-bit arguments fill the two lower bytes.
inline Command Buffer(std::uint8_t op, std::uint8_t mode, std::uint8_t bufferId, std::uint16_t offset,
                      std::uint16_t length, std::uint8_t control, Direction direction) {
    return Make({op, mode, bufferId, 0x00, Hi(offset), Lo(offset), 0x00, Hi(length), Lo(length), control},
                10, direction, length);
}

inline Command Inquiry(Backend backend) {
    // ASPI asks for 100 bytes into its own 100-byte buffer; the pass-through
    // record has a 512-byte data area and asks for 192 (C0h).
    const bool aspi = backend == Backend::Aspi;
    const std::uint8_t allocation = aspi ? 0x64 : 0xC0;
    return InReplyArea(Make({kOpInquiry, 0x00, 0x00, 0x00, allocation, 0x00}, 6, Direction::In,
                            aspi ? kInquiryAspiLength : kInquiryPassThroughLength));
}

// Sent with the 12-byte ATAPI packet length on both back ends.
inline Command TestUnitReady() { return InReplyArea(Make({}, 12, Direction::In, 0)); }

inline Command ModeSense(Backend backend) {
    // MODE SENSE(10), capabilities page, current values, allocation 100.
    // ASPI sends it as a 12-byte ATAPI packet (two more zero bytes).
    const std::uint8_t cdbLength = backend == Backend::Aspi ? 12 : 10;
    return InReplyArea(Make({kOpModeSense10, 0x00, kCapabilitiesPage, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00},
                            cdbLength, Direction::In, kModeSenseLength));
}

inline Command ReadBufferMode2(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length) {
    return Buffer(kOpReadBuffer, 0x02, bufferId, offset, length, 0x00, Direction::In);
}

inline Command ReadBufferMode1(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length) {
    return Buffer(kOpReadBuffer, 0x01, bufferId, offset, length, 0x01, Direction::In);
}

inline Command WriteBufferMode7(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length) {
    return Buffer(kOpWriteBuffer, 0x07, bufferId, offset, length, 0x00, Direction::Out);
}

inline Command WriteBufferMode4() { return Make({kOpWriteBuffer, 0x04}, 10, Direction::Out, 0); }

inline Command VendorDownload(std::uint8_t blockNumber, std::uint16_t blockSum, std::uint16_t length,
                              std::uint16_t imageSum) {
    return Make({kOpVendorDownload, 0x07, kVendorSignature[0], kVendorSignature[1], kVendorSignature[2],
                 kVendorSignature[3], Hi(blockSum), Lo(blockSum), Hi(imageSum), Lo(imageSum), blockNumber, 0x08},
                12, Direction::Out, length, kVendorDownloadTimeoutSeconds);
}

// INQUIRY is accepted when the peripheral device type (bits 0..4 of data
// byte 0) is 5, a CD/DVD device; the qualifier bits are not looked at.
inline bool InquiryAccepted(const std::uint8_t* data) { return (data[0] & 0x1F) == 0x05; }

// Copies vendor, product, revision and identity from INQUIRY data (which
// must hold at least 38 bytes; bytes the drive did not return are zero).
// Writes exactly the field widths, so each field's final NUL stays as it was.
inline void CopyInquiryFields(const std::uint8_t* data, DeviceRecord& record) {
    std::memcpy(record.vendorId, data + 8, 8);
    std::memcpy(record.productId, data + 16, 16);
    std::memcpy(record.productRevision, data + 32, 6);
    std::memcpy(record.identity, data + 8, 24);
}

// 1 when capabilities page byte 2 (data byte 10) reads DVD-ROM and byte 3
// (data byte 11) writes neither CD-R nor CD-RW; else 0. The mode parameter
// header's block descriptor length is not consulted.
inline int DvdRomOnlyFromModeSense(const std::uint8_t* data) {
    if (data[11] & 0x03) return 0;  // writes CD-R or CD-RW
    return (data[10] & 0x08) ? 1 : 0;  // reads DVD-ROM
}

}  // namespace commands
