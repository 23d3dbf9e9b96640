#pragma once
// The two ASPI for Win32 request blocks the tool sends, SRB_HAInquiry and
// SRB_ExecSCSICmd, in the published layout: byte-packed, fields in the
// published order, pointer fields as wide as the build's pointers (the
// published offsets on a 32-bit build). Portable: no Windows header needed.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace aspi {

// Request codes (SRB_Cmd).
constexpr std::uint8_t SC_HA_INQUIRY = 0x00;
constexpr std::uint8_t SC_EXEC_SCSI_CMD = 0x02;

// Request status (SRB_Status, and bits 8..15 of the support information).
constexpr std::uint8_t SS_PENDING = 0x00;
constexpr std::uint8_t SS_COMP = 0x01;
constexpr std::uint8_t SS_ERR = 0x04;
constexpr std::uint8_t SS_INVALID_CMD = 0x80;
constexpr std::uint8_t SS_INVALID_HA = 0x81;
constexpr std::uint8_t SS_NO_DEVICE = 0x82;
constexpr std::uint8_t SS_INVALID_SRB = 0xE0;
constexpr std::uint8_t SS_NO_ADAPTERS = 0xE8;

// Host adapter status (SRB_HaStat).
constexpr std::uint8_t HASTAT_OK = 0x00;
constexpr std::uint8_t HASTAT_SEL_TO = 0x11;

// Request flags (SRB_Flags).
constexpr std::uint8_t SRB_DIR_IN = 0x08;
constexpr std::uint8_t SRB_DIR_OUT = 0x10;
constexpr std::uint8_t SRB_EVENT_NOTIFY = 0x40;

// Sense bytes the requester asks for; SenseArea holds two more.
constexpr std::uint8_t SENSE_LEN = 14;

#pragma pack(push, 1)

struct SRB_HAInquiry {
    std::uint8_t SRB_Cmd;             // SC_HA_INQUIRY
    std::uint8_t SRB_Status;          // returned
    std::uint8_t SRB_HaId;            // host adapter number
    std::uint8_t SRB_Flags;           // 0
    std::uint32_t SRB_Hdr_Rsvd;       // 0
    std::uint8_t HA_Count;            // returned: number of host adapters
    std::uint8_t HA_SCSI_ID;          // returned: the adapter's own SCSI id
    std::uint8_t HA_ManagerId[16];    // returned: ASPI manager name
    std::uint8_t HA_Identifier[16];   // returned: adapter name
    std::uint8_t HA_Unique[16];       // returned: byte 3 = maximum targets (0 means 8)
    std::uint16_t HA_Rsvd1;
};

struct SRB_ExecSCSICmd {
    std::uint8_t SRB_Cmd;             // SC_EXEC_SCSI_CMD
    std::uint8_t SRB_Status;          // SS_PENDING until ASPI completes the request
    std::uint8_t SRB_HaId;            // host adapter number
    std::uint8_t SRB_Flags;           // direction and notification flags
    std::uint32_t SRB_Hdr_Rsvd;       // 0
    std::uint8_t SRB_Target;          // target id
    std::uint8_t SRB_Lun;             // logical unit
    std::uint16_t SRB_Rsvd1;          // 0
    std::uint32_t SRB_BufLen;         // bytes in the data phase
    std::uint8_t* SRB_BufPointer;     // data buffer, null without data
    std::uint8_t SRB_SenseLen;        // sense bytes wanted
    std::uint8_t SRB_CDBLen;          // CDB length
    std::uint8_t SRB_HaStat;          // returned: host adapter status
    std::uint8_t SRB_TargStat;        // returned: SCSI status
    void* SRB_PostProc;               // event handle when SRB_EVENT_NOTIFY is set
    std::uint8_t SRB_Rsvd2[20];       // 0
    std::uint8_t CDBByte[16];         // the CDB
    std::uint8_t SenseArea[SENSE_LEN + 2];  // returned: sense data
};

#pragma pack(pop)

static_assert(std::is_standard_layout<SRB_HAInquiry>::value, "fixed layout");
static_assert(std::is_trivially_copyable<SRB_HAInquiry>::value, "copied byte-wise");
static_assert(std::is_standard_layout<SRB_ExecSCSICmd>::value, "fixed layout");
static_assert(std::is_trivially_copyable<SRB_ExecSCSICmd>::value, "copied byte-wise");
// SRB_HAInquiry has no pointer: one layout for every build.
static_assert(offsetof(SRB_HAInquiry, SRB_Cmd) == 0x00, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, SRB_Status) == 0x01, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, SRB_HaId) == 0x02, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, SRB_Flags) == 0x03, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, SRB_Hdr_Rsvd) == 0x04, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_Count) == 0x08, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_SCSI_ID) == 0x09, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_ManagerId) == 0x0A, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_Identifier) == 0x1A, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_Unique) == 0x2A, "SRB_HAInquiry layout");
static_assert(offsetof(SRB_HAInquiry, HA_Rsvd1) == 0x3A, "SRB_HAInquiry layout");
static_assert(sizeof(SRB_HAInquiry) == 0x3C, "SRB_HAInquiry layout");

// SRB_ExecSCSICmd: the same for every build up to the buffer pointer.
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Cmd) == 0x00, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Status) == 0x01, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_HaId) == 0x02, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Flags) == 0x03, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Hdr_Rsvd) == 0x04, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Target) == 0x08, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Lun) == 0x09, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Rsvd1) == 0x0A, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 0x0C, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 0x10, "SRB_ExecSCSICmd layout");

// The fields after it move by the growth of the two pointers: 0 on a
// 32-bit build (the published offsets), 4 each on a 64-bit one.
static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "32- or 64-bit build");
constexpr std::size_t kPointerGrowth = sizeof(void*) - 4;
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 0x14 + kPointerGrowth, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_CDBLen) == 0x15 + kPointerGrowth, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_HaStat) == 0x16 + kPointerGrowth, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_TargStat) == 0x17 + kPointerGrowth, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 0x18 + kPointerGrowth, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Rsvd2) == 0x1C + 2 * kPointerGrowth, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 0x30 + 2 * kPointerGrowth, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 0x40 + 2 * kPointerGrowth, "SRB_ExecSCSICmd layout");
static_assert(sizeof(SRB_ExecSCSICmd) == 0x50 + 2 * kPointerGrowth, "SRB_ExecSCSICmd layout");

// SRB_Status is the one field both sides write: the requester sets it
// pending before the call, ASPI sets the outcome from its own context when
// the request completes. Both sides reach it with atomic accesses (the
// compiler's interlocked builtins, on a plain byte so the published layout
// stays): the outcome is published with release order after everything
// else ASPI writes (data, sense, adapter and target status), and read with
// acquire order, so a requester that sees the outcome also sees all that.
inline std::uint8_t ReadStatus(const std::uint8_t& status) {
    return __atomic_load_n(&status, __ATOMIC_ACQUIRE);
}
inline void WriteStatus(std::uint8_t& status, std::uint8_t value) {
    __atomic_store_n(&status, value, __ATOMIC_RELEASE);
}

}  // namespace aspi
