#include "package_info.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "file_io.h"
#include "firmware/package_description.h"
#include "firmware_package.h"
#include "package_layout.h"
#include "package_locator.h"

using namespace package_layout;

namespace {

std::string Format(const char* format, unsigned long a) {
    char line[160];
    std::snprintf(line, sizeof line, format, a);
    return line;
}

std::string DescribeCombined(const FirmwarePackage& package) {
    PackageDescription text;
    DescribeCombinedPackage(package, text);
    return text;
}

}  // namespace

ToolOutcome DescribePackageFile(const std::string& path) {
    std::vector<std::uint8_t> program;
    std::string readProblem;
    if (!ReadWholeFile(path, program, readProblem)) {
        return ToolOutcome::Failure("ktxcombine: " + path + ": " + readProblem);
    }
    const PackageArea area = LocatePackageArea(program);
    const std::string problem = LocateProblem(area);
    if (!problem.empty()) return ToolOutcome::Failure("ktxcombine: " + path + ": " + problem);
    if (area.kind == PackageAreaKind::kTemplate) {
        return ToolOutcome::Success(
            path + Format(": uncombined template (package area at file offset 0x%lX)\n", area.offset));
    }
    return ToolOutcome::Success(
        path + Format(": combined package at file offset 0x%lX\n", area.offset) +
        DescribeCombined(FirmwarePackage(program.data() + area.offset)));
}
