#include "app/terminal/revision_refusal_text.h"

#include <cstring>

#include "platform/display_text.h"

namespace terminal {
namespace {

// Appends the separator before item `index` of `count` ("", ", ", " and ").
void AppendListSeparator(int index, int count, TextBuffer& out) {
    if (index == 0) return;
    out.Append(index == count - 1 ? " and " : ", ");
}

}  // namespace

void AppendRevisionRefusal(const RevisionText& drive, const RevisionText& tag, std::uint8_t mask, TextBuffer& out) {
    out.Append("the drive's revision is \"");
    AppendDisplayText(out, drive.data(), std::strlen(drive.data()));
    out.Append("\", the image's tag \"");
    AppendDisplayText(out, tag.data(), std::strlen(tag.data()));
    out.AppendFormat("\", mask 0x%02X: ", static_cast<unsigned>(mask));
    // Bit 3 selects the first character ... bit 0 the fourth.
    int positions[4];
    int count = 0;
    for (int index = 0; index < 4; ++index)
        if ((mask & (0x08u >> index)) != 0) positions[count++] = index;
    if (count == 0) {
        out.Append("no character has to match");
        return;
    }
    out.Append(count == 1 ? "the drive's character " : "the drive's characters ");
    for (int i = 0; i < count; ++i) {
        AppendListSeparator(i, count, out);
        out.AppendFormat("%d", positions[i] + 1);
    }
    out.Append(" must be ");
    for (int i = 0; i < count; ++i) {
        AppendListSeparator(i, count, out);
        out.Append('"');
        AppendDisplayText(out, &tag[static_cast<std::size_t>(positions[i])], 1);
        out.Append('"');
    }
    out.Append(" (case ignored)");
}

}  // namespace terminal
