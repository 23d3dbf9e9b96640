// The firmware package block this program carries, as built: a template
// holding only the marker "INSERT_FIRMWARE", which the combine tool later
// overwrites in the program file (see firmware_package.h).
//
// Three things keep this sound:
// - The area is a non-const object with a non-zero initialiser, so it lands
//   in the file's initialised data (.data), byte for byte, never in .bss.
// - Anchor and block sit in one struct, so no padding or reordering can come
//   between them: the block always starts right after the anchor.
// - The program reads the block only through a pointer held in a volatile
//   object. The compiler cannot know where that pointer leads, so it cannot
//   fold the template's bytes into constants (even with whole-program
//   optimisation): a combined program reads what the combine tool wrote.

#include "firmware/firmware_package.h"

namespace {

using namespace package_layout;

struct EmbeddedPackageArea {
    std::uint8_t anchor[kAnchorSize];
    std::uint8_t package[kPackageSize];
};
static_assert(sizeof(EmbeddedPackageArea) == kAnchorSize + kPackageSize,
              "anchor and package must be contiguous");
static_assert(sizeof kUncombinedMarker == 16, "marker and its terminator fill bytes 0..15");

EmbeddedPackageArea embeddedArea = {
    {AnchorByte(0), AnchorByte(1), AnchorByte(2), AnchorByte(3),
     AnchorByte(4), AnchorByte(5), AnchorByte(6), AnchorByte(7),
     AnchorByte(8), AnchorByte(9), AnchorByte(10), AnchorByte(11),
     AnchorByte(12), AnchorByte(13), AnchorByte(14), AnchorByte(15)},
    // Bytes 0..14 hold the marker, byte 15 its terminator, the rest zero.
    "INSERT_FIRMWARE",
};

const std::uint8_t* volatile embeddedBlock = embeddedArea.package;

}  // namespace

FirmwarePackage FirmwarePackage::Embedded() {
    return FirmwarePackage(embeddedBlock);
}
