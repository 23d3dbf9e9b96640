#pragma once
// A combined package described for a person, line by line: the revision
// tag, the stored sum text and what it reads as, the image's computed sum,
// the version-check mask and the byte sum of each 16 KiB block. What
// `ktxcombine --info` and `ktxflash --info` both print.

#include "firmware/firmware_package.h"
#include "platform/fixed_text.h"

// Room for the whole description (about 700 characters).
constexpr std::size_t kPackageDescriptionCapacity = 1536;
using PackageDescription = FixedText<kPackageDescriptionCapacity>;

// Appends the description of `package` (a combined one) to `out`.
void DescribeCombinedPackage(const FirmwarePackage& package, TextBuffer& out);
