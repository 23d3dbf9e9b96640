#pragma once
// The bytes a pass-through header must have on the wire, written from the
// platform's published layout (offsets spelled out per word size here, not
// taken from our record definitions), so that a layout or fill mistake in
// the records or the transport shows up as a byte difference.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace expected {

constexpr bool kPointers64 = sizeof(void*) == 8;
// Published SCSI_PASS_THROUGH(_DIRECT): 44 bytes on 32-bit, 56 on 64-bit.
constexpr std::uint32_t kHeaderSize = kPointers64 ? 56 : 44;
// Sense area of both request records: 48 on 32-bit, 56 on 64-bit.
constexpr std::uint32_t kSenseOffset = kPointers64 ? 56 : 48;
// Data area of the buffered record: 80 on 32-bit, 88 on 64-bit.
constexpr std::uint32_t kDataOffset = kPointers64 ? 88 : 80;
// Whole direct record: 80 on 32-bit, 88 on 64-bit.
constexpr std::uint32_t kDirectSize = kPointers64 ? 88 : 80;

constexpr std::uint32_t kIoctlPassThrough = 0x4D004;
constexpr std::uint32_t kIoctlPassThroughDirect = 0x4D014;

struct Header {
    std::uint8_t cdbLength = 0;
    std::uint8_t dataIn = 0;
    std::uint32_t transferLength = 0;
    std::uint32_t timeout = 0;
    std::uint64_t dataField = 0;  // DataBufferOffset or the DataBuffer address
    std::vector<std::uint8_t> cdb;
};

inline void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value,
                            std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// PathId, TargetId, Lun and ScsiStatus 0; SenseInfoLength 24.
inline std::vector<std::uint8_t> HeaderBytes(const Header& h) {
    std::vector<std::uint8_t> bytes(kHeaderSize, 0);
    PutLittleEndian(bytes, 0, kHeaderSize, 2);  // Length
    bytes[6] = h.cdbLength;
    bytes[7] = 24;  // SenseInfoLength
    bytes[8] = h.dataIn;
    PutLittleEndian(bytes, 12, h.transferLength, 4);
    PutLittleEndian(bytes, 16, h.timeout, 4);
    PutLittleEndian(bytes, kPointers64 ? 24 : 20, h.dataField, sizeof(void*));
    PutLittleEndian(bytes, kPointers64 ? 32 : 24, kSenseOffset, 4);
    const std::size_t cdbAt = kPointers64 ? 36 : 28;
    for (std::size_t i = 0; i < h.cdb.size(); ++i) bytes[cdbAt + i] = h.cdb[i];
    return bytes;
}

inline std::uint64_t AddressOf(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

}  // namespace expected
