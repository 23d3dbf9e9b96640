#include "package_info.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "byte_sum.h"
#include "combine_package.h"
#include "display_text.h"
#include "file_io.h"
#include "firmware_package.h"
#include "package_layout.h"
#include "package_locator.h"

using namespace package_layout;

namespace {

std::string Format(const char* format, unsigned long a, unsigned long b = 0, unsigned long c = 0) {
    char line[160];
    std::snprintf(line, sizeof line, format, a, b, c);
    return line;
}

std::string DescribeCombined(const FirmwarePackage& package) {
    const auto tag = package.revisionTag();
    const std::uint16_t expected = package.expectedSum();
    const std::uint16_t computed = byteSum16(package.image(), kImageSize);

    std::string text;
    text += "  revision tag:        \"" + DisplayText(tag.data()) + "\"\n";
    text += "  expected sum text:   \"" + DisplayText(package.expectedSumText()) + "\"" +
            Format(" (reads %04lX)\n", expected);
    text += Format("  computed image sum:  %04lX", computed) +
            (computed == expected ? " (matches)\n" : " (DIFFERS from the expected sum)\n");
    text += Format("  version-check mask:  0x%02lX\n", package.versionCheckMask());
    for (std::size_t block = 0; block < kBlockCount; ++block) {
        const std::size_t begin = block * kBlockSize;
        text += Format("  block %lu (image 0x%05lX..0x%05lX) sum: ", block + 1, begin,
                       begin + kBlockSize - 1) +
                Format("%04lX\n", byteSum16(package.image() + begin, kBlockSize));
    }
    return text;
}

}  // namespace

ToolOutcome DescribePackageFile(const std::string& path) {
    const std::string shownPath = DisplayText(path);
    std::vector<std::uint8_t> program;
    std::string readProblem;
    std::uintmax_t size = 0;
    switch (ReadRegularFile(path, kTemplateSizeLimit, program, size, readProblem)) {
        case ReadOutcome::kFailed: return ToolOutcome::Failure("ktxcombine: " + shownPath + ": " + readProblem);
        case ReadOutcome::kTooLarge:
            return ToolOutcome::Failure("ktxcombine: " + shownPath + ": " + std::to_string(size) +
                                        " bytes; more than the " + std::to_string(kTemplateSizeLimit) +
                                        " a program file may have");
        case ReadOutcome::kRead: break;
    }
    const PackageArea area = LocatePackageArea(program);
    const std::string problem = LocateProblem(area);
    if (!problem.empty()) return ToolOutcome::Failure("ktxcombine: " + shownPath + ": " + problem);
    if (area.kind == PackageAreaKind::kTemplate) {
        return ToolOutcome::Success(
            shownPath + Format(": uncombined template (package area at file offset 0x%lX)\n", area.offset));
    }
    return ToolOutcome::Success(
        shownPath + Format(": combined package at file offset 0x%lX\n", area.offset) +
        DescribeCombined(FirmwarePackage(program.data() + area.offset)));
}
