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
    if (file.size() - area.offset < kPackageSize) {
        area.kind = PackageAreaKind::kTruncated;
        return area;
    }
    area.kind = FirmwarePackage(file.data() + area.offset).isUncombined() ? PackageAreaKind::kTemplate
                                                                           : PackageAreaKind::kCombined;
    return area;
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
        case PackageAreaKind::kTemplate:
        case PackageAreaKind::kCombined:
            break;
    }
    return {};
}
