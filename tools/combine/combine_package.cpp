#include "combine_package.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "firmware_package.h"
#include "display_text.h"
#include "file_io.h"
#include "file_system.h"
#include "package_locator.h"
#include "sha256_text.h"

using namespace package_layout;

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + DisplayText(text) + "\"";
}

std::string QuotedPath(const std::string& path) {
    return "\"" + DisplayPath(path) + "\"";
}

ToolOutcome Refuse(const std::string& subject, const std::string& problem) {
    return ToolOutcome::Failure("ktxcombine: " + subject + ": " + problem);
}

// A file named in a message: shown as typed, only control characters
// escaped, so that a newline or terminal escape in the name can neither
// split the one-line message nor reach the terminal.
ToolOutcome RefuseFile(const std::string& path, const std::string& problem) {
    return Refuse(DisplayPath(path), problem);
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

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

std::string MaskText(unsigned mask) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", mask);
    return text;
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

// The refusal of a mask that has no meaning for the tag, or nothing.
const char* MaskProblem(const CombineRequest& request) {
    return request.mask > 0xFF ? "above 0xFF" : VersionMaskProblem(request.revisionTag.size(), request.mask);
}

// The image's fingerprints, one a line, each followed by the value given
// for it when that differs: what the user compares with the maker's.
std::string FingerprintLines(const ImageFingerprints& image, const CombineRequest& request) {
    std::string lines = "  SHA-256:  " + Sha256Text(image.sha256) + "\n";
    if (HoldAgainst(request.sha256, image) == PublishedCheckResult::Differs) {
        lines += "  --sha256: " + Sha256Text(request.sha256.sha256) + "\n";
    }
    lines += "  byte sum: " + Hex4(image.byteSum) + "\n";
    if (HoldAgainst(request.byteSum, image) == PublishedCheckResult::Differs) {
        lines += "  --sum:    " + Hex4(request.byteSum.byteSum) + "\n";
    }
    return lines;
}

// Which of the given checks the image fails ("SHA-256", "byte sum", both),
// or an empty text when it passes every one given.
std::string FailedChecks(const ImageFingerprints& image, const CombineRequest& request) {
    const bool sha256 = HoldAgainst(request.sha256, image) == PublishedCheckResult::Differs;
    const bool byteSum = HoldAgainst(request.byteSum, image) == PublishedCheckResult::Differs;
    return sha256 && byteSum ? "SHA-256 and byte sum differ"
           : sha256          ? "SHA-256 differs"
           : byteSum         ? "byte sum differs"
                             : "";
}

// What the image was checked against, for the success report.
std::string CheckedAgainst(const CombineRequest& request) {
    const bool sha256 = request.sha256.kind != PublishedCheck::Kind::None;
    const bool byteSum = request.byteSum.kind != PublishedCheck::Kind::None;
    return sha256 && byteSum ? "matches --sha256 and --sum"
           : sha256          ? "matches --sha256"
           : byteSum         ? "matches --sum"
                             : "is not checked (--unchecked-image): compare it with the maker's";
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
    if (const char* problem = MaskProblem(request)) {
        return Refuse("mask " + MaskText(request.mask) + " for revision tag " + Quoted(request.revisionTag),
                      problem);
    }

    // Before anything is read: the output must be neither the image nor the
    // template (the user's firmware file or program would be lost), even
    // with --force; and an existing output needs --force.
    if (SameFile(request.imagePath, request.outputPath)) {
        return RefuseFile(request.outputPath, "is the firmware image " + QuotedPath(request.imagePath) +
                                                  "; choose another output name");
    }
    if (SameFile(request.templatePath, request.outputPath)) {
        return RefuseFile(request.outputPath, "is the template " + QuotedPath(request.templatePath) +
                                                  "; the template is never replaced, choose another output name");
    }
    const std::string outputExists = "already exists; give --force to replace it";
    if (!request.replaceOutput && file_system::KindOf(request.outputPath) == file_system::Kind::kRegular) {
        return RefuseFile(request.outputPath, outputExists);
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

    const ImageFingerprints fingerprints = FingerprintImage(image.data(), image.size());
    const std::string failed = FailedChecks(fingerprints, request);
    if (!failed.empty()) {
        const ToolOutcome refusal = RefuseFile(
            request.imagePath, "not the image the maker published (" + failed + "); nothing written\n" +
                                   FingerprintLines(fingerprints, request));
        // The last line ends where the caller adds the line end.
        return ToolOutcome::Failure(refusal.error.substr(0, refusal.error.size() - 1));
    }
    const std::uint16_t imageSum = fingerprints.byteSum;
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
    switch (WriteFileAtomically(request.outputPath, program, file_system::ExecutePermissionsOf(request.templatePath),
                                request.replaceOutput ? Existing::kReplace : Existing::kKeep, problem)) {
        case WriteOutcome::kWritten: break;
        case WriteOutcome::kNameTaken: return RefuseFile(request.outputPath, outputExists);
        case WriteOutcome::kFailed: return RefuseFile(request.outputPath, problem);
    }

    char summary[160];
    std::snprintf(summary, sizeof summary, "revision tag %s, image sum %04X, mask 0x%02X",
                  Quoted(request.revisionTag).c_str(), static_cast<unsigned>(imageSum), request.mask);
    return ToolOutcome::Success("ktxcombine: image " + DisplayPath(request.imagePath) + " " +
                                CheckedAgainst(request) + "\n" + FingerprintLines(fingerprints, request) +
                                "ktxcombine: wrote " + DisplayPath(request.outputPath) + " (" + summary + ")\n");
}
