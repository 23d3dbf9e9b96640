#pragma once
// The 16-bit byte sum that guards the firmware image and each block sent to
// the drive: every byte taken as 0..255, added into a 16-bit accumulator that
// starts at 0 and wraps modulo 65,536.

#include <cstddef>
#include <cstdint>

std::uint16_t byteSum16(const std::uint8_t* bytes, std::size_t count);
