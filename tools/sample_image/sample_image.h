#pragma once
// A deterministic stand-in for the drive maker's firmware image, for tests
// and demonstrations: 131,072 bytes that look like firmware (pseudo-random
// code-like bytes, each 16 KiB block ending in 0xFF padding) and carry the
// byte sums the drive's command examples use: 0x7E45 over the first 16 KiB
// block, 0x0E89 over the whole image. The same bytes on every platform.

#include <cstdint>
#include <vector>

inline constexpr std::uint16_t kSampleImageFirstBlockSum = 0x7E45;
inline constexpr std::uint16_t kSampleImageSum = 0x0E89;

std::vector<std::uint8_t> MakeSampleImage();
