#pragma once
// The drive's own byte sum: every byte added, modulo 65536. The simulated
// drive judges what it receives with this and with its own literal command
// bytes, never with the tool's helpers, so that a fault in the tool's sum or
// command builder cannot pass unseen by agreeing with itself.

#include <cstddef>
#include <cstdint>

namespace sim {

inline std::uint16_t DriveSum16(const std::uint8_t* data, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) sum += data[i];
    return static_cast<std::uint16_t>(sum & 0xFFFFu);
}

}  // namespace sim
