#pragma once
// The combine step: writes a firmware header and image into the one package
// area of a copy of a template program, and stores the copy as the output
// file. Every refusal leaves the output untouched (or not created).

#include <cstdint>
#include <string>

#include "tool_outcome.h"

struct CombineRequest {
    std::string templatePath;
    std::string imagePath;
    std::string revisionTag;  // up to 4 printable ASCII characters
    unsigned mask = 0;        // 0..0xFF
    std::string outputPath;
};

ToolOutcome CombinePackage(const CombineRequest& request);

// Fills the 32-byte header at `block`: tag NUL-padded in 0..3, zero at 4,
// the image sum as four upper-case hex digits in 5..8, zeros in 9..15, the
// mask at 16, zeros in 17..31. The tag must be at most 4 characters.
void WriteCombinedHeader(std::uint8_t* block, const std::string& revisionTag,
                         std::uint16_t imageSum, std::uint8_t mask);
