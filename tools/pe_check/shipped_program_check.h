#pragma once
// What a shipped Windows program must be to load on the oldest Windows it is
// for: a machine type, header versions no higher than that Windows, no debug
// data, and only imports from an allowlist whose every entry names the
// document that shows the oldest systems export the function.

#include <cstdint>
#include <string>
#include <vector>

#include "pe_image.h"

namespace pe {

// One allowed import: `function` of `dll` (DLL names compare without regard
// to case, as the loader does), or "#N" for an import by ordinal.
struct AllowedImport {
    std::string dll;
    std::string function;
    std::string source;
};

// Parses an allowlist: one entry a line, "DLL FUNCTION SOURCE...", with '#'
// starting a comment line and blank lines ignored. An entry without a source
// is refused with its line number in `problem`.
bool ParseAllowlist(const std::string& text, std::vector<AllowedImport>& entries, std::string& problem);

struct ShippedProgramRules {
    std::uint16_t machine = kMachineI386;
    // The oldest Windows: OS and subsystem versions above it are refused.
    std::uint16_t maxMajor = 4, maxMinor = 0;
    std::vector<AllowedImport> allowed;
};

// Every way `image` breaks `rules`, one line each; empty when it keeps them.
std::vector<std::string> CheckShippedProgram(const Image& image, const ShippedProgramRules& rules);

}  // namespace pe
