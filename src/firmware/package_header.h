#pragma once
// Writing a package header and reading the texts that say what goes into
// one: shared by ktxcombine, which combines an image into a program, and
// ktxflash --image, which makes a package of an image file in memory.

#include <cstddef>
#include <cstdint>

// Fills the 32-byte header at `block`: tag NUL-padded in 0..3, zero at 4,
// the image sum as four upper-case hex digits in 5..8, zeros in 9..15, the
// mask at 16, zeros in 17..31. At most 4 characters of the tag are written.
void WriteCombinedHeader(std::uint8_t* block, const char* revisionTag, std::size_t tagLength,
                         std::uint16_t imageSum, std::uint8_t mask);

enum class NumberTextProblem { None, NotANumber, TooLarge };

// A version-check mask as decimal or 0x-hex, 0 to 0xFF.
NumberTextProblem ParseMaskText(const char* text, std::size_t length, unsigned& mask);
// An image sum as one to four hex digits (an optional 0x before them).
NumberTextProblem ParseSumText(const char* text, std::size_t length, std::uint16_t& sum);

// What is wrong with a version-check mask for the revision tag it goes
// with, or null when nothing is. Bit 3 selects the tag's first character
// ... bit 0 its fourth: the drive's revision must already have the selected
// characters. Bits above bit 3 select nothing, and a bit for a character
// beyond the tag's end compares the drive's character with NUL (refusing
// every drive whose revision has a character there): both are mistakes.
const char* VersionMaskProblem(std::size_t tagLength, unsigned mask);
