#pragma once
// The words ktxflash adds after "F/W Version Not Match": the drive's
// revision, the image's revision tag and the mask, and which characters of
// the drive's revision had to be the tag's.

#include <cstdint>

#include "firmware/upgrade_procedure.h"
#include "platform/fixed_text.h"

namespace terminal {

// Appends, e.g., `the drive's revision is "X1.2", the image's tag "P1",
// mask 0x0C: the drive's characters 1 and 2 must be "P" and "1" (case
// ignored)`.
void AppendRevisionRefusal(const RevisionText& drive, const RevisionText& tag, std::uint8_t mask, TextBuffer& out);

}  // namespace terminal
