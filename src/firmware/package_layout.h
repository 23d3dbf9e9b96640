#pragma once
// Layout of the firmware package block that the program carries in its
// initialised data, shared by the program (FirmwarePackage) and the combine
// tool (ktxcombine).
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

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/device_record.h"

namespace package_layout {

// The image is the one every prepared drive record names (kImageSize,
// 131,072 bytes), sent and read in kBlockSize blocks (device_record.h).
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
