#include "package_info.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "combine_package.h"
#include "display_text.h"
#include "file_io.h"
#include "firmware/firmware_package.h"
#include "firmware_package.h"
#include "package_locator.h"
#include "published_check.h"
#include "sha256_text.h"

using namespace package_layout;

namespace {

std::string Format(const char* format, unsigned long a) {
    char line[160];
    std::snprintf(line, sizeof line, format, a);
    return line;
}

// The header, the image's sums and its SHA-256, which the maker publishes
// (too long for the description's aligned column: on a line of its own).
std::string DescribeCombined(const FirmwarePackage& package) {
    PackageDescription text;
    DescribeCombinedPackage(package, text);
    return std::string(text.c_str(), text.size()) + "  image SHA-256:\n    " +
           Sha256Text(Sha256(package.image(), kImageSize)) + "\n";
}

}  // namespace

ToolOutcome DescribePackageFile(const std::string& path) {
    const std::string shownPath = DisplayPath(path);
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
