#pragma once
// The data a drive answers to INQUIRY and to MODE SENSE(10) for the CD/DVD
// capabilities page, built from its configuration.

#include <cstdint>
#include <string>
#include <vector>

#include "drive_config.h"


namespace sim {

// `config.inquiryLength` bytes of standard INQUIRY data: byte 0 the
// configured peripheral byte, vendor/product/revision blank-padded at bytes
// 8..15, 16..31 and 32..35, and `revision` (the revision the drive reports
// now) in place of the configured one.
std::vector<std::uint8_t> BuildInquiryData(const DriveConfig& config, const std::string& revision);

// The 8-byte mode parameter header (no block descriptors) followed directly
// by the capabilities page 2Ah, whose bytes 2 and 3 (data bytes 10 and 11)
// are the configured capability bytes.
std::vector<std::uint8_t> BuildCapabilitiesModeData(const DriveConfig& config);

}  // namespace sim
