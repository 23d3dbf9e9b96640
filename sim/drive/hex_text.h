#pragma once
// Hexadecimal text for trace lines and refusal reasons.

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

// "0x7E45": a 16-bit value, four upper-case digits.
std::string Hex16(std::uint16_t value);
// "0x07": one byte, two upper-case digits.
std::string Hex8(std::uint8_t value);
// "FD 07 51 4F": bytes separated by single blanks.
std::string HexBytes(const std::uint8_t* bytes, std::size_t count);

}  // namespace sim
