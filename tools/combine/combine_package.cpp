#include "combine_package.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "firmware_package.h"
#include "display_text.h"
#include "file_io.h"
#include "file_system.h"
#include "package_locator.h"

using namespace package_layout;

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + DisplayText(text) + "\"";
}

ToolOutcome Refuse(const std::string& subject, const std::string& problem) {
    return ToolOutcome::Failure("ktxcombine: " + subject + ": " + problem);
}

// A file named in a message: shown escaped, so that a newline or terminal
// escape in the name can neither split the one-line message nor reach the
// terminal.
ToolOutcome RefuseFile(const std::string& path, const std::string& problem) {
    return Refuse(DisplayText(path), problem);
}

std::string ImageSizeProblem(std::uintmax_t size) {
    return "image is " + std::to_string(size) + " bytes; it must be exactly " + std::to_string(kImageSize);
}

bool IsPrintableAscii(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) return false;
    }
    return true;
}

// The problem with a template's package area, or an empty text when it is a
// single, complete, uncombined area.
std::string TemplateProblem(const PackageArea& area, const std::vector<std::uint8_t>& file) {
    if (area.kind == PackageAreaKind::kCombined) {
        const auto tag = FirmwarePackage(file.data() + area.offset).revisionTag();
        return "already combined (revision tag " + Quoted(tag.data()) +
               "); combine a fresh template instead";
    }
    return LocateProblem(area);
}

}  // namespace

ToolOutcome CombinePackage(const CombineRequest& request) {
    if (request.revisionTag.size() > kRevisionTagLength) {
        return Refuse("revision tag " + Quoted(request.revisionTag), "longer than 4 characters");
    }
    if (!IsPrintableAscii(request.revisionTag)) {
        return Refuse("revision tag " + Quoted(request.revisionTag),
                      "only printable ASCII characters are allowed");
    }
    if (request.mask > 0xFF) {
        return Refuse("mask " + std::to_string(request.mask), "above 0xFF");
    }

    // Before anything is read: the output must not be the image (writing
    // the program over it would lose the user's firmware file).
    if (SameFile(request.imagePath, request.outputPath)) {
        return RefuseFile(request.outputPath, "is the firmware image " + Quoted(request.imagePath) +
                                                  "; choose another output name");
    }

    std::vector<std::uint8_t> program;
    std::string problem;
    std::uintmax_t size = 0;
    switch (ReadRegularFile(request.templatePath, kTemplateSizeLimit, program, size, problem)) {
        case ReadOutcome::kFailed: return RefuseFile(request.templatePath, problem);
        case ReadOutcome::kTooLarge:
            return RefuseFile(request.templatePath, "template is " + std::to_string(size) +
                                                        " bytes; more than the " +
                                                        std::to_string(kTemplateSizeLimit) + " a template may have");
        case ReadOutcome::kRead: break;
    }
    const PackageArea area = LocatePackageArea(program);
    problem = TemplateProblem(area, program);
    if (!problem.empty()) return RefuseFile(request.templatePath, problem);

    std::vector<std::uint8_t> image;
    switch (ReadRegularFile(request.imagePath, kImageSize, image, size, problem)) {
        case ReadOutcome::kFailed: return RefuseFile(request.imagePath, problem);
        case ReadOutcome::kTooLarge: return RefuseFile(request.imagePath, ImageSizeProblem(size));
        case ReadOutcome::kRead: break;
    }
    if (image.size() != kImageSize) return RefuseFile(request.imagePath, ImageSizeProblem(image.size()));

    const std::uint16_t imageSum = byteSum16(image.data(), image.size());
    std::uint8_t* block = program.data() + area.offset;
    WriteCombinedHeader(block, request.revisionTag, imageSum, static_cast<std::uint8_t>(request.mask));
    std::memcpy(block + kImageOffset, image.data(), kImageSize);

    // The image is arbitrary data: should it contain the anchor, the
    // combined file would no longer have one findable package area.
    const PackageArea written = LocatePackageArea(program);
    if (written.kind != PackageAreaKind::kCombined || written.offset != area.offset) {
        return RefuseFile(request.imagePath,
                          "image contains the package anchor bytes; the combined file would "
                          "have no single package area");
    }

    // The template's execute permissions, so that a combined program runs
    // like its template did (on systems that keep such bits).
    if (!WriteFileAtomically(request.outputPath, program, file_system::ExecutePermissionsOf(request.templatePath),
                             problem)) {
        return RefuseFile(request.outputPath, problem);
    }

    char summary[160];
    std::snprintf(summary, sizeof summary, "revision tag %s, image sum %04X, mask 0x%02X",
                  Quoted(request.revisionTag).c_str(), static_cast<unsigned>(imageSum), request.mask);
    return ToolOutcome::Success("ktxcombine: wrote " + DisplayText(request.outputPath) + " (" + summary + ")\n");
}
