#pragma once
// Finds the firmware package area in a program file by its anchor (see
// firmware_package.h): the 131,104 bytes right after the only occurrence of
// the anchor. Templates and combined programs are found the same way; the
// marker in the first 15 bytes of the area tells them apart.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class PackageAreaKind {
    kNone,       // the anchor does not occur
    kSeveral,    // the anchor occurs more than once: no single place to write
    kTruncated,  // the file ends before the 131,104 bytes after the anchor
    kTemplate,   // one area, still holding the marker
    kCombined,   // one area, holding a header and an image
};

struct PackageArea {
    PackageAreaKind kind = PackageAreaKind::kNone;
    std::size_t anchorCount = 0;
    // File offset of the package block (first header byte); meaningful for
    // kTemplate and kCombined.
    std::size_t offset = 0;
};

PackageArea LocatePackageArea(const std::vector<std::uint8_t>& file);

// Why no single package area could be used (kNone, kSeveral, kTruncated), or
// an empty text when one was found.
std::string LocateProblem(const PackageArea& area);
