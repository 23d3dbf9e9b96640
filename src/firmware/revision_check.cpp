#include "firmware/revision_check.h"

#include "platform/ascii_case.h"

RevisionText MakeRevisionText(const char* revision) {
    RevisionText text{};
    for (std::size_t i = 0; i < 4 && revision[i] != '\0'; ++i) text[i] = revision[i];
    return text;
}

bool RevisionMatches(const RevisionText& drive, const RevisionText& tag, std::uint8_t mask) {
    // Bit 0 selects the last character, bit 3 the first; checked in bit order.
    for (int bit = 0; bit < 4; ++bit) {
        if ((mask & (1u << bit)) == 0) continue;
        const int index = 3 - bit;
        if (AsciiUpper(drive[index]) != AsciiUpper(tag[index])) return false;
    }
    return true;
}
