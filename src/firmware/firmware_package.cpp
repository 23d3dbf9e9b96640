#include "firmware/firmware_package.h"

#include <cstring>

#include "firmware/hex_digit.h"

namespace {

using namespace package_layout;

// Length of the text in field[0..maxLength), ending early at a NUL.
std::size_t FieldTextLength(const std::uint8_t* field, std::size_t maxLength) {
    std::size_t length = 0;
    while (length < maxLength && field[length] != 0) ++length;
    return length;
}

bool IsScanfBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a text the way the scanning format "%X" reads it into an unsigned
// int: leading blanks skipped, an optional sign, an optional 0x or 0X, then
// hex digits of either case up to the first other character. A text with no
// digit reads 0; a '-' sign negates modulo 2^32. Returns the low 16 bits.
std::uint16_t ParseHexLikeScanf(const char* text, std::size_t length) {
    std::size_t pos = 0;
    while (pos < length && IsScanfBlank(text[pos])) ++pos;

    bool negative = false;
    if (pos < length && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // A "0x" prefix is skipped; if no digit follows it, the '0' alone was the
    // number, which reads 0 either way.
    if (pos + 1 < length && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        pos += 2;
    }

    std::uint32_t value = 0;
    for (; pos < length; ++pos) {
        const int digit = HexDigitValue(text[pos]);
        if (digit < 0) break;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}

}  // namespace

std::array<char, 5> FirmwarePackage::revisionTag() const {
    std::array<char, 5> tag{};
    const std::uint8_t* field = block_ + kRevisionTagOffset;
    const std::size_t length = FieldTextLength(field, kRevisionTagLength);
    for (std::size_t i = 0; i < length; ++i) tag[i] = static_cast<char>(field[i]);
    return tag;
}

FixedText<kExpectedSumLength + 1> FirmwarePackage::expectedSumText() const {
    const std::uint8_t* field = block_ + kExpectedSumOffset;
    FixedText<kExpectedSumLength + 1> text;
    text.Assign(reinterpret_cast<const char*>(field), FieldTextLength(field, kExpectedSumLength));
    return text;
}

std::uint16_t FirmwarePackage::expectedSum() const {
    const auto text = expectedSumText();
    return ParseHexLikeScanf(text.c_str(), text.size());
}

std::uint8_t FirmwarePackage::versionCheckMask() const {
    return block_[kVersionCheckMaskOffset];
}

bool FirmwarePackage::isUncombined() const {
    return std::memcmp(block_, kUncombinedMarker, kUncombinedMarkerLength) == 0;
}
