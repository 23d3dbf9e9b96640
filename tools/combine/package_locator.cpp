#include "package_locator.h"

#include <algorithm>
#include <functional>

#include "firmware_package.h"

PackageArea LocatePackageArea(const std::vector<std::uint8_t>& file) {
    using namespace package_layout;
    static constexpr auto kAnchor = Anchor();
    const std::boyer_moore_horspool_searcher searcher(kAnchor.begin(), kAnchor.end());

    PackageArea area;
    std::size_t firstAnchor = 0;
    for (auto from = file.begin();;) {
        const auto hit = std::search(from, file.end(), searcher);
        if (hit == file.end()) break;
        if (area.anchorCount++ == 0) firstAnchor = static_cast<std::size_t>(hit - file.begin());
        from = hit + 1;
    }

    if (area.anchorCount == 0) return area;
    if (area.anchorCount > 1) {
        area.kind = PackageAreaKind::kSeveral;
        return area;
    }
    area.offset = firstAnchor + kAnchorSize;
    const std::size_t available = file.size() - area.offset;
    const std::uint8_t* block = file.data() + area.offset;
    // A header that is there is read first: a file cut short within the
    // image is a damaged program, one with no header after the anchor none.
    const bool recognised = available < kHeaderSize || FirmwarePackage(block).isUncombined() ||
                            HasCombinedHeaderShape(block);
    if (!recognised) {
        area.kind = PackageAreaKind::kUnrecognised;
    } else if (available < kPackageSize) {
        area.kind = PackageAreaKind::kTruncated;
    } else {
        area.kind = FirmwarePackage(block).isUncombined() ? PackageAreaKind::kTemplate : PackageAreaKind::kCombined;
    }
    return area;
}

bool HasCombinedHeaderShape(const std::uint8_t* block) {
    using namespace package_layout;
    for (std::size_t i = kRevisionTagLength; i < kHeaderSize; ++i) {
        const bool sumDigit = i >= kExpectedSumOffset && i < kExpectedSumOffset + kExpectedSumLength;
        if (sumDigit ? HexDigitValue(static_cast<char>(block[i])) < 0
                     : i != kVersionCheckMaskOffset && block[i] != 0) {
            return false;
        }
    }
    return true;
}

std::string LocateProblem(const PackageArea& area) {
    switch (area.kind) {
        case PackageAreaKind::kNone:
            return "no firmware package area found (not a program built with one)";
        case PackageAreaKind::kSeveral:
            return std::to_string(area.anchorCount) +
                   " firmware package areas found; a program must hold exactly one";
        case PackageAreaKind::kTruncated:
            return "firmware package area is cut short by the end of the file";
        case PackageAreaKind::kUnrecognised:
            return "no firmware package (neither a template's marker nor a combined "
                   "program's header follows the package anchor)";
        case PackageAreaKind::kTemplate:
        case PackageAreaKind::kCombined:
            break;
    }
    return {};
}
