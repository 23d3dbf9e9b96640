#pragma once
// Finds the firmware package area in a program file by its anchor (see
// firmware_package.h): the 131,104 bytes right after the only occurrence of
// the anchor. Templates and combined programs are found the same way; the
// marker in the first 15 bytes of the area tells a template, the header's
// whole shape a combined program. Anything else after the anchor (a file
// that merely holds the anchor bytes, such as ktxcombine itself) is no
// firmware package.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class PackageAreaKind {
    kNone,       // the anchor does not occur
    kSeveral,    // the anchor occurs more than once: no single place to write
    kTruncated,  // the file ends before the 131,104 bytes after the anchor
                 // (after a template's marker or a header, if 32 bytes are there)
    kTemplate,   // one area, still holding the marker
    kCombined,   // one area, holding a header and an image
    kUnrecognised,  // neither the marker nor a header after the anchor
};

struct PackageArea {
    PackageAreaKind kind = PackageAreaKind::kNone;
    std::size_t anchorCount = 0;
    // File offset of the package block (first header byte); meaningful for
    // kTemplate and kCombined.
    std::size_t offset = 0;
};

PackageArea LocatePackageArea(const std::vector<std::uint8_t>& file);

// True when the 32 header bytes at `block` have the shape the combine step
// writes: zero bytes at offsets 4, 9..15 and 17..31 and four hexadecimal
// digits (of either case) at 5..8. The tag and the mask may hold anything.
bool HasCombinedHeaderShape(const std::uint8_t* block);

// Why no package area could be used (kNone, kSeveral, kTruncated,
// kUnrecognised), or an empty text for a template or a combined program.
std::string LocateProblem(const PackageArea& area);
