#pragma once
// The combine step: checks the image against what its maker published,
// writes a firmware header and the image into the one package area of a
// copy of a template program, and stores the copy as the output file. Every
// refusal leaves the output untouched (or not created); the template and
// the image are never replaced.

#include <cstddef>
#include <cstdint>
#include <string>

#include "firmware_package.h"
#include "published_check.h"
#include "tool_outcome.h"

// The largest template (and --info file) the tool reads: far above any
// program the package area is built into, far below what a machine holds.
inline constexpr std::size_t kTemplateSizeLimit = 64u * 1024u * 1024u;

struct CombineRequest {
    std::string templatePath;
    std::string imagePath;
    std::string revisionTag;  // up to 4 printable ASCII characters
    unsigned mask = 0;        // bits 3..0, none beyond the tag (VersionMaskProblem)
    std::string outputPath;
    // The maker's SHA-256 and byte sum of the image; either may be absent
    // (kind None). Every check given must match.
    PublishedCheck sha256;
    PublishedCheck byteSum;
    // An existing output is replaced only when asked (--force).
    bool replaceOutput = false;
};

ToolOutcome CombinePackage(const CombineRequest& request);

// The header as WriteCombinedHeader (firmware_package.h) writes it, for a tag of at most 4 characters.
inline void WriteCombinedHeader(std::uint8_t* block, const std::string& revisionTag, std::uint16_t imageSum,
                                std::uint8_t mask) {
    WriteCombinedHeader(block, revisionTag.data(), revisionTag.size(), imageSum, mask);
}
