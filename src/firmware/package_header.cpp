#include "firmware/package_header.h"

#include <cstring>

#include "firmware/hex_digit.h"
#include "firmware/package_layout.h"

using namespace package_layout;

void WriteCombinedHeader(std::uint8_t* block, const char* revisionTag, std::size_t tagLength,
                         std::uint16_t imageSum, std::uint8_t mask) {
    std::memset(block, 0, kHeaderSize);
    std::memcpy(block + kRevisionTagOffset, revisionTag, tagLength < kRevisionTagLength ? tagLength : kRevisionTagLength);
    // Four digits, most significant first: written here rather than with
    // snprintf, which on Windows is MinGW's C99 formatter (some 25 KiB of
    // code in ktxflash.exe for this one field).
    for (std::size_t i = 0; i < kExpectedSumLength; ++i) {
        block[kExpectedSumOffset + i] =
            static_cast<std::uint8_t>(UpperHexDigit(imageSum >> (4 * (kExpectedSumLength - 1 - i))));
    }
    block[kVersionCheckMaskOffset] = mask;
}

namespace {

// Digits of `base` from `first` on, saturating above `limit`.
NumberTextProblem ParseDigits(const char* text, std::size_t length, std::size_t first, unsigned base,
                              unsigned limit, unsigned& value) {
    if (length == first) return NumberTextProblem::NotANumber;
    value = 0;
    bool tooLarge = false;
    for (std::size_t i = first; i < length; ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) return NumberTextProblem::NotANumber;
        value = value * base + static_cast<unsigned>(digit);
        if (value > limit) {
            tooLarge = true;
            value = limit + 1;  // keeps the loop from overflowing on long inputs
        }
    }
    return tooLarge ? NumberTextProblem::TooLarge : NumberTextProblem::None;
}

bool HasHexPrefix(const char* text, std::size_t length) {
    return length > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

}  // namespace

NumberTextProblem ParseMaskText(const char* text, std::size_t length, unsigned& mask) {
    const bool hex = HasHexPrefix(text, length);
    return ParseDigits(text, length, hex ? 2 : 0, hex ? 16 : 10, 0xFF, mask);
}

NumberTextProblem ParseSumText(const char* text, std::size_t length, std::uint16_t& sum) {
    unsigned value = 0;
    const NumberTextProblem problem = ParseDigits(text, length, HasHexPrefix(text, length) ? 2 : 0, 16, 0xFFFF, value);
    sum = static_cast<std::uint16_t>(value);
    return problem;
}

const char* VersionMaskProblem(std::size_t tagLength, unsigned mask) {
    if (mask > 0x0Fu) return "has bits above bit 3: bit 3 (0x08) selects the tag's first character ... bit 0 (0x01) its fourth";
    const std::size_t characters = tagLength < kRevisionTagLength ? tagLength : kRevisionTagLength;
    // The bits of the characters the tag has: 0x08 for the first, 0x0C for two, ...
    const unsigned tagBits = 0x0Fu & ~(0x0Fu >> characters);
    if ((mask & ~tagBits) != 0) return "selects characters beyond the end of the revision tag";
    return nullptr;
}
