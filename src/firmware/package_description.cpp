#include "firmware/package_description.h"

#include <cstdint>

#include "firmware/byte_sum.h"
#include "platform/display_text.h"

using namespace package_layout;

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
