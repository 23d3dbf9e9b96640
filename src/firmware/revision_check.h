#pragma once
// Whether a drive's firmware revision fits the package's revision tag.
// Both are 5-byte texts (up to four characters, NUL-padded). Each set bit
// of the mask selects one position to compare: bit 0 index 3, bit 1
// index 2, bit 2 index 1, bit 3 index 0; bits 4 to 7 select nothing. Letters
// a to z compare equal to their upper-case forms; every other byte compares
// as it is. A mask that selects no position passes every revision.

#include <array>
#include <cstdint>

using RevisionText = std::array<char, 5>;

// The first four characters of `revision`, stopping at a NUL, NUL-padded.
RevisionText MakeRevisionText(const char* revision);

bool RevisionMatches(const RevisionText& drive, const RevisionText& tag, std::uint8_t mask);
