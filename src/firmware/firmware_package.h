#pragma once
// Read-only view of a firmware package block: the 32-byte header and the
// 131,072-byte image that follows it (layout in package_layout.h). It reads
// whatever block it is given, so tests and the combine tool can use their own
// buffers; Embedded() gives the block that this program carries.

#include <array>
#include <cstdint>

#include "firmware/package_layout.h"
#include "platform/fixed_text.h"

class FirmwarePackage {
public:
    // The block must hold package_layout::kPackageSize bytes and outlive the view.
    explicit FirmwarePackage(const std::uint8_t* block) : block_(block) {}

    // The package embedded in the running program. Defined with the block
    // itself (package_block.cpp), so only programs that carry it link it.
    static FirmwarePackage Embedded();

    // The tag as a five-byte text: up to four characters from offset 0,
    // stopping at the first NUL; every later position is NUL.
    std::array<char, 5> revisionTag() const;
    // The raw sum text: up to four characters from offset 5, stopping at a NUL.
    FixedText<package_layout::kExpectedSumLength + 1> expectedSumText() const;
    // The sum text read as "%X" would read it, low 16 bits.
    std::uint16_t expectedSum() const;
    std::uint8_t versionCheckMask() const;
    const std::uint8_t* image() const { return block_ + package_layout::kImageOffset; }
    // True while the block still starts with the template marker.
    bool isUncombined() const;

private:
    const std::uint8_t* block_;
};
