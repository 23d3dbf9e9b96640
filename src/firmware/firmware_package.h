#pragma once
// The firmware package: the layout of the block a program carries (header
// and image), the byte sum that guards the image and its blocks, the
// read-only view of a block (FirmwarePackage), writing a header and reading
// the texts that say what goes into one (ktxcombine and ktxflash --image),
// and a package described for a person.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device/device_list.h"
#include "platform/fixed_text.h"

// Layout of the block, shared by the program and the combine tool:
//
//   offset  width   field
//   0       4       revision tag, ASCII, NUL-padded
//   4       1       zero
//   5       4       expected byte sum of the image, 4 upper-case hex digits
//   9       7       zero
//   16      1       version-check mask
//   17      15      zero
//   32      131072  firmware image
//
// Locating the block in a program file: in the built program the block is
// preceded, in the same object, by a 16-byte anchor that occurs nowhere else
// in the file. The combine step overwrites only the 131,104 bytes after the
// anchor, never the anchor itself, so templates and combined programs are
// found the same way; the marker "INSERT_FIRMWARE" in the first 15 bytes of
// the block then tells a template from a combined program.
//
// The anchor is kept here in complemented form, so that this header (and any
// debug information built from it) does not carry a second copy of the anchor
// bytes. Only the translation unit that defines the block and the combine
// tool turn it into the real anchor; no other part of the program may.

namespace package_layout {

// The image is the one every prepared drive record names (kImageSize,
// 131,072 bytes), sent and read in kBlockSize blocks (device_list.h).
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kPackageSize = kHeaderSize + ::kImageSize;  // 131,104
inline constexpr std::size_t kBlockCount = ::kImageSize / ::kBlockSize;

inline constexpr std::size_t kRevisionTagOffset = 0;
inline constexpr std::size_t kRevisionTagLength = 4;
inline constexpr std::size_t kExpectedSumOffset = 5;
inline constexpr std::size_t kExpectedSumLength = 4;
inline constexpr std::size_t kVersionCheckMaskOffset = 16;
inline constexpr std::size_t kImageOffset = kHeaderSize;

// The first 15 bytes of the block in an uncombined template (no terminator).
inline constexpr char kUncombinedMarker[] = "INSERT_FIRMWARE";
inline constexpr std::size_t kUncombinedMarkerLength = sizeof kUncombinedMarker - 1;

inline constexpr std::size_t kAnchorSize = 16;

// Bitwise complement of each anchor byte. The anchor itself reads
// E9 "KTX7724PKGAREA" 9D: printable in a hex dump, framed by two bytes that
// make an accidental match in code or text all but impossible.
inline constexpr std::uint8_t kAnchorComplement[kAnchorSize] = {
    0x16, 0xB4, 0xAB, 0xA7, 0xC8, 0xC8, 0xCD, 0xCB,
    0xAF, 0xB4, 0xB8, 0xBE, 0xAD, 0xBA, 0xBE, 0x62,
};

constexpr std::uint8_t AnchorByte(std::size_t index) {
    return static_cast<std::uint8_t>(~kAnchorComplement[index]);
}

constexpr std::array<std::uint8_t, kAnchorSize> Anchor() {
    std::array<std::uint8_t, kAnchorSize> anchor{};
    for (std::size_t i = 0; i < kAnchorSize; ++i) anchor[i] = AnchorByte(i);
    return anchor;
}

}  // namespace package_layout

// The 16-bit byte sum that guards the firmware image and each block sent to
// the drive: every byte taken as 0..255, added into a 16-bit accumulator that
// starts at 0 and wraps modulo 65,536.
std::uint16_t byteSum16(const std::uint8_t* bytes, std::size_t count);

// Hexadecimal digits: the value of one of either case, or -1 for any other
// character; and the upper-case digit of a value's low four bits.
constexpr int HexDigitValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
}

constexpr char UpperHexDigit(unsigned value) { return "0123456789ABCDEF"[value & 0x0Fu]; }

// A revision as a 5-byte text: up to four characters, NUL-padded.
using RevisionText = std::array<char, 5>;

// The first four characters of `revision`, stopping at a NUL, NUL-padded.
inline RevisionText MakeRevisionText(const char* revision) {
    RevisionText text{};
    for (std::size_t i = 0; i < 4 && revision[i] != '\0'; ++i) text[i] = revision[i];
    return text;
}

// Read-only view of a firmware package block (layout above). It reads
// whatever block it is given, so tests and the combine tool can use their own
// buffers; Embedded() gives the block that this program carries.
class FirmwarePackage {
public:
    // The block must hold package_layout::kPackageSize bytes and outlive the view.
    explicit FirmwarePackage(const std::uint8_t* block) : block_(block) {}

    // The package embedded in the running program. Defined with the block
    // itself (package_block.cpp), so only programs that carry it link it.
    static FirmwarePackage Embedded();

    // The tag: up to four characters from offset 0, stopping at a NUL.
    RevisionText revisionTag() const {
        return MakeRevisionText(reinterpret_cast<const char*>(block_ + package_layout::kRevisionTagOffset));
    }
    // The raw sum text: up to four characters from offset 5, stopping at a NUL.
    FixedText<package_layout::kExpectedSumLength + 1> expectedSumText() const;
    // The sum text read as "%X" would read it, low 16 bits.
    std::uint16_t expectedSum() const;
    std::uint8_t versionCheckMask() const { return block_[package_layout::kVersionCheckMaskOffset]; }
    const std::uint8_t* image() const { return block_ + package_layout::kImageOffset; }
    // True while the block still starts with the template marker.
    bool isUncombined() const {
        return std::memcmp(block_, package_layout::kUncombinedMarker, package_layout::kUncombinedMarkerLength) == 0;
    }

private:
    const std::uint8_t* block_;
};

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

// A combined package described for a person, line by line: the revision
// tag, the stored sum text and what it reads as, the image's computed sum,
// the version-check mask and the byte sum of each 16 KiB block. What
// `ktxcombine --info` and `ktxflash --info` both print, appended to `out`
// (a PackageDescription holds the whole of it, about 700 characters).
using PackageDescription = FixedText<1536>;
void DescribeCombinedPackage(const FirmwarePackage& package, TextBuffer& out);
