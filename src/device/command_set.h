#pragma once
// Every SCSI command the tool sends, built byte for byte in one place: the
// transports carry them their own ways but take the bytes, lengths,
// directions and time-outs from here. Multi-byte CDB numbers are big-endian.

#include <array>
#include <cstddef>
#include <cstdint>

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

Command Inquiry(Backend backend);
Command TestUnitReady();
Command ModeSense(Backend backend);
Command ReadBufferMode2(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length);
Command ReadBufferMode1(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length);
Command WriteBufferMode7(std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length);
Command WriteBufferMode4();
Command VendorDownload(std::uint8_t blockNumber, std::uint16_t blockSum, std::uint16_t length,
                       std::uint16_t imageSum);

// INQUIRY is accepted when the peripheral device type (bits 0..4 of data
// byte 0) is 5, a CD/DVD device; the qualifier bits are not looked at.
bool InquiryAccepted(const std::uint8_t* data);
// Copies vendor, product, revision and identity from INQUIRY data (which
// must hold at least 38 bytes; bytes the drive did not return are zero).
// Writes exactly the field widths, so each field's final NUL stays as it was.
void CopyInquiryFields(const std::uint8_t* data, DeviceRecord& record);
// 1 when capabilities page byte 2 (data byte 10) reads DVD-ROM and byte 3
// (data byte 11) writes neither CD-R nor CD-RW; else 0. The mode parameter
// header's block descriptor length is not consulted.
int DvdRomOnlyFromModeSense(const std::uint8_t* data);

}  // namespace commands
