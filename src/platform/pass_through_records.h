#pragma once
// The NT SCSI pass-through records, defined without Windows headers so the
// transport and the simulated storage stack build everywhere. The two
// headers are layout-identical to the platform's published SCSI_PASS_THROUGH
// and SCSI_PASS_THROUGH_DIRECT (the Windows builds check that against
// <ntddscsi.h>); DataBufferOffset and DataBuffer are pointer-sized. The two
// request records add a sense area at the first 8-byte boundary after the
// header (4 bytes of filler on 32-bit Windows, none on 64-bit) and, for the
// buffered form, a data area.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace passthrough {

// DeviceIoControl codes: CTL_CODE(FILE_DEVICE_CONTROLLER, 0x401 / 0x405,
// METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS).
constexpr std::uint32_t kIoctlScsiPassThrough = 0x0004D004;
// FSCTL_LOCK_VOLUME and FSCTL_DISMOUNT_VOLUME (winioctl.h): no input, no output.
constexpr std::uint32_t kFsctlLockVolume = 0x00090018;
constexpr std::uint32_t kFsctlDismountVolume = 0x00090020;
constexpr std::uint32_t kIoctlScsiPassThroughDirect = 0x0004D014;

// Values of the DataIn field.
constexpr std::uint8_t kDataOut = 0;          // SCSI_IOCTL_DATA_OUT
constexpr std::uint8_t kDataIn = 1;           // SCSI_IOCTL_DATA_IN
constexpr std::uint8_t kDataUnspecified = 2;  // SCSI_IOCTL_DATA_UNSPECIFIED

constexpr std::size_t kCdbCapacity = 16;
constexpr std::size_t kSenseAreaSize = 32;
constexpr std::size_t kDataAreaSize = 512;
// Sense bytes the transport asks the platform for (of the 32 it provides).
constexpr std::uint8_t kSenseInfoLength = 24;

// SCSI_PASS_THROUGH: the data travel inside the request, DataBufferOffset
// bytes from its start.
struct ScsiPassThrough {
    std::uint16_t Length;  // size of this header
    std::uint8_t ScsiStatus;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
    std::uint8_t CdbLength;
    std::uint8_t SenseInfoLength;
    std::uint8_t DataIn;
    std::uint32_t DataTransferLength;
    std::uint32_t TimeOutValue;  // seconds
    std::uintptr_t DataBufferOffset;
    std::uint32_t SenseInfoOffset;
    std::uint8_t Cdb[kCdbCapacity];
};

// SCSI_PASS_THROUGH_DIRECT: the data stay in the caller's buffer.
struct ScsiPassThroughDirect {
    std::uint16_t Length;  // size of this header
    std::uint8_t ScsiStatus;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
    std::uint8_t CdbLength;
    std::uint8_t SenseInfoLength;
    std::uint8_t DataIn;
    std::uint32_t DataTransferLength;
    std::uint32_t TimeOutValue;  // seconds
    void* DataBuffer;
    std::uint32_t SenseInfoOffset;
    std::uint8_t Cdb[kCdbCapacity];
};

// Used with kIoctlScsiPassThrough for INQUIRY, TEST UNIT READY, MODE SENSE.
struct PassThroughRequest {
    ScsiPassThrough header;
    alignas(8) std::uint8_t sense[kSenseAreaSize];  // filler before it, if any
    std::uint8_t data[kDataAreaSize];
};

// Used with kIoctlScsiPassThroughDirect for READ BUFFER, WRITE BUFFER and
// the vendor download command.
struct DirectRequest {
    ScsiPassThroughDirect header;
    alignas(8) std::uint8_t sense[kSenseAreaSize];  // filler before it, if any
};

constexpr bool kPointers64 = sizeof(void*) == 8;
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "32- or 64-bit platform");

// Header layout, the same in both forms: fixed part, then the pointer-sized member.
static_assert(std::is_standard_layout<ScsiPassThrough>::value, "fixed layout");
static_assert(std::is_trivially_copyable<ScsiPassThrough>::value, "copied byte-wise");
static_assert(std::is_standard_layout<ScsiPassThroughDirect>::value, "fixed layout");
static_assert(std::is_trivially_copyable<ScsiPassThroughDirect>::value, "copied byte-wise");
#define KTX_PASS_THROUGH_OFFSET(field, offset)                                      \
    static_assert(offsetof(ScsiPassThrough, field) == (offset), #field " layout"); \
    static_assert(offsetof(ScsiPassThroughDirect, field) == (offset), #field " layout")
KTX_PASS_THROUGH_OFFSET(Length, 0);
KTX_PASS_THROUGH_OFFSET(ScsiStatus, 2);
KTX_PASS_THROUGH_OFFSET(PathId, 3);
KTX_PASS_THROUGH_OFFSET(TargetId, 4);
KTX_PASS_THROUGH_OFFSET(Lun, 5);
KTX_PASS_THROUGH_OFFSET(CdbLength, 6);
KTX_PASS_THROUGH_OFFSET(SenseInfoLength, 7);
KTX_PASS_THROUGH_OFFSET(DataIn, 8);
KTX_PASS_THROUGH_OFFSET(DataTransferLength, 12);
KTX_PASS_THROUGH_OFFSET(TimeOutValue, 16);
KTX_PASS_THROUGH_OFFSET(SenseInfoOffset, kPointers64 ? 32 : 24);
KTX_PASS_THROUGH_OFFSET(Cdb, kPointers64 ? 36 : 28);
static_assert(offsetof(ScsiPassThrough, DataBufferOffset) == (kPointers64 ? 24 : 20), "layout");
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) == (kPointers64 ? 24 : 20), "layout");
static_assert(sizeof(ScsiPassThrough) == (kPointers64 ? 56 : 44), "layout");
static_assert(sizeof(ScsiPassThroughDirect) == (kPointers64 ? 56 : 44), "layout");

static_assert(std::is_standard_layout<PassThroughRequest>::value, "fixed layout");
static_assert(offsetof(PassThroughRequest, header) == 0, "layout");
static_assert(offsetof(PassThroughRequest, sense) == (kPointers64 ? 56 : 48), "layout");
static_assert(offsetof(PassThroughRequest, data) == (kPointers64 ? 88 : 80), "layout");
static_assert(sizeof(PassThroughRequest) == (kPointers64 ? 600 : 592), "layout");

static_assert(std::is_standard_layout<DirectRequest>::value, "fixed layout");
static_assert(offsetof(DirectRequest, header) == 0, "layout");
static_assert(offsetof(DirectRequest, sense) == (kPointers64 ? 56 : 48), "layout");
static_assert(sizeof(DirectRequest) == (kPointers64 ? 88 : 80), "layout");

// Offsets and lengths the transport puts into requests and calls.
constexpr std::uint32_t kSenseOffset = offsetof(PassThroughRequest, sense);
constexpr std::uint32_t kDataOffset = offsetof(PassThroughRequest, data);
static_assert(offsetof(DirectRequest, sense) == kSenseOffset, "both records keep sense at one offset");
// Buffered form: the header alone goes in; header, filler, sense and the
// data actually asked for come back.
constexpr std::uint32_t kBufferedInputLength = sizeof(ScsiPassThrough);
constexpr std::uint32_t BufferedOutputLength(std::uint32_t dataLength) { return kDataOffset + dataLength; }
// Direct form: the whole record goes in and comes back.
constexpr std::uint32_t kDirectLength = sizeof(DirectRequest);

}  // namespace passthrough
