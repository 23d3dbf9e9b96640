#pragma once
// The drives found. One DeviceRecord per candidate drive: its address or
// drive letter, the strings its INQUIRY returned, and what Prepare adds;
// plain data, so a byte-wise copy is a complete copy. The DeviceList keeps
// copies of them in order, in blocks of ten nodes released only all
// together, by Clear or destruction.

#include <cstddef>
#include <cstdint>
#include <type_traits>

struct DeviceRecord {
    std::uint8_t reserved0;          // never set; always 0
    std::uint8_t hostAdapter;        // ASPI adapter / pass-through path id (0)
    std::uint8_t targetId;           // ASPI target / pass-through target (0)
    std::uint8_t lun;                // always 0
    std::uint16_t reserved1;         // never set; always 0
    std::uint16_t versionMajor;      // set to 0 by Prepare
    std::uint16_t versionMinor;      // set to 0 by Prepare
    std::uint32_t imageSize;         // set to 0x20000 by Prepare
    char vendorId[8 + 1];            // INQUIRY bytes 8..15, NUL at [8]
    char productId[16 + 1];          // INQUIRY bytes 16..31, NUL at [16]
    char productRevision[6 + 1];     // INQUIRY bytes 32..37, NUL at [6]
    char identity[24 + 1];           // INQUIRY bytes 8..31, NUL at [24]
    std::uint8_t dosDeviceName[64];  // written by no transport: all zero (the layout keeps it)
    char driveLetter;                // pass-through: 'C'..'Z'; ASPI: 0
};

static_assert(std::is_trivially_copyable<DeviceRecord>::value, "copied byte-wise");
static_assert(std::is_standard_layout<DeviceRecord>::value, "fixed layout");
static_assert(offsetof(DeviceRecord, hostAdapter) == 1, "layout");
static_assert(offsetof(DeviceRecord, targetId) == 2, "layout");
static_assert(offsetof(DeviceRecord, lun) == 3, "layout");
static_assert(offsetof(DeviceRecord, reserved1) == 4, "layout");
static_assert(offsetof(DeviceRecord, versionMajor) == 6, "layout");
static_assert(offsetof(DeviceRecord, versionMinor) == 8, "layout");
static_assert(offsetof(DeviceRecord, imageSize) == 12, "layout");
static_assert(offsetof(DeviceRecord, vendorId) == 16, "layout");
static_assert(offsetof(DeviceRecord, productId) == 25, "layout");
static_assert(offsetof(DeviceRecord, productRevision) == 42, "layout");
static_assert(offsetof(DeviceRecord, identity) == 49, "layout");
static_assert(offsetof(DeviceRecord, dosDeviceName) == 74, "layout");
static_assert(offsetof(DeviceRecord, driveLetter) == 138, "layout");
static_assert(sizeof(DeviceRecord) == 140, "layout");

// The image size every prepared record carries and a package holds.
constexpr std::uint32_t kImageSize = 0x20000;
// The unit of every firmware transfer.
constexpr std::uint32_t kBlockSize = 0x4000;

// An INQUIRY text field of a record (vendor, product, revision) as a person
// reads it: the length of `field` (at most `size` characters) without the
// trailing blanks and NULs that pad it.
inline std::size_t InquiryFieldLength(const char* field, std::size_t size) {
    std::size_t length = 0;
    while (length < size && field[length] != '\0') ++length;
    while (length > 0 && field[length - 1] == ' ') --length;
    return length;
}

// The same for a record's NUL-terminated field array.
template <std::size_t N>
std::size_t InquiryFieldLength(const char (&field)[N]) {
    return InquiryFieldLength(field, N - 1);
}

class DeviceList {
public:
    static constexpr int kNodesPerBlock = 10;

    DeviceList() = default;
    ~DeviceList() { Clear(); }
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    // A copy of the record at the end; not added without memory for it.
    void Append(const DeviceRecord& record);
    std::int32_t Count() const { return count_; }
    // The stored record at index (0-based), or null outside 0..Count()-1.
    const DeviceRecord* RecordAt(std::int32_t index) const;
    void Clear();

    // Node blocks held (for tests of the storage rule).
    int BlockCount() const;

private:
    // Entry i is node i % kNodesPerBlock of block i / kNodesPerBlock.
    struct Block {
        DeviceRecord nodes[kNodesPerBlock];
        Block* next;
    };

    Block* first_ = nullptr;
    Block* last_ = nullptr;
    std::int32_t count_ = 0;
};
