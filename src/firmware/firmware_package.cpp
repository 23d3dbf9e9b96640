#include "firmware/firmware_package.h"

#include <cstring>

#include "platform/display_text.h"

using namespace package_layout;

namespace {

// Length of the text in field[0..maxLength), ending early at a NUL.
std::size_t FieldTextLength(const std::uint8_t* field, std::size_t maxLength) {
    std::size_t length = 0;
    while (length < maxLength && field[length] != 0) ++length;
    return length;
}

bool HasHexPrefix(const char* text, std::size_t length) {
    return length > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
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
    if (HasHexPrefix(text + pos, length - pos)) pos += 2;

    std::uint32_t value = 0;
    for (; pos < length; ++pos) {
        const int digit = HexDigitValue(text[pos]);
        if (digit < 0) break;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}

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

}  // namespace

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

std::uint16_t byteSum16(const std::uint8_t* bytes, std::size_t count) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint16_t>(sum + bytes[i]);
    return sum;
}

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

void DescribeCombinedPackage(const FirmwarePackage& package, TextBuffer& out) {
    const auto tag = package.revisionTag();
    const std::uint16_t expected = package.expectedSum();
    const std::uint16_t computed = byteSum16(package.image(), kImageSize);
    const auto sumText = package.expectedSumText();

    out.Append("  revision tag:        \"");
    AppendDisplayText(out, tag.data());
    out.Append("\"\n  expected sum text:   \"");
    AppendDisplayText(out, sumText.c_str(), sumText.size());
    out.AppendFormat("\" (reads %04X)\n", static_cast<unsigned>(expected));
    out.AppendFormat("  computed image sum:  %04X%s\n", static_cast<unsigned>(computed),
                     computed == expected ? " (matches)" : " (DIFFERS from the expected sum)");
    out.AppendFormat("  version-check mask:  0x%02X\n", static_cast<unsigned>(package.versionCheckMask()));
    for (std::size_t block = 0; block < kBlockCount; ++block) {
        const std::size_t begin = block * kBlockSize;
        out.AppendFormat("  block %u (image 0x%05X..0x%05X) sum: %04X\n", static_cast<unsigned>(block + 1),
                         static_cast<unsigned>(begin), static_cast<unsigned>(begin + kBlockSize - 1),
                         static_cast<unsigned>(byteSum16(package.image() + begin, kBlockSize)));
    }
}
