#include "hard_disk_target.h"


#include <algorithm>
#include <cstring>

namespace sim {
namespace {

constexpr std::uint8_t kOpTestUnitReady = 0x00;
constexpr std::uint8_t kOpInquiry = 0x12;

// Standard INQUIRY data of a disk: type 0, SCSI-2, 36 bytes.
constexpr std::uint8_t kInquiryData[36] = {
    0x00, 0x00, 0x02, 0x02, 31,   0,    0,    0,                                        // type, version, length
    'S',  'I',  'M',  'D',  'I',  'S',  'K',  ' ',                                      // vendor
    'H',  'A',  'R',  'D',  ' ',  'D',  'I',  'S',  'K',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  // product
    '1',  '.',  '0',  ' ',                                                              // revision
};

}  // namespace

ScsiOutcome HardDiskTarget::Execute(const std::uint8_t* cdb, std::size_t cdbLength, DataDirection direction,
                                    std::uint8_t* data, std::uint32_t length) {
    if (cdbLength == 0) return ScsiOutcome::CheckCondition;
    switch (cdb[0]) {
    case kOpTestUnitReady:
        return ScsiOutcome::Good;
    case kOpInquiry:
        if (direction != DataDirection::In || data == nullptr) return ScsiOutcome::CheckCondition;
        std::memcpy(data, kInquiryData, std::min<std::size_t>(length, sizeof kInquiryData));
        return ScsiOutcome::Good;
    default:
        return ScsiOutcome::CheckCondition;
    }
}

}  // namespace sim
