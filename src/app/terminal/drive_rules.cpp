#include "app/terminal/drive_rules.h"

#include <cstddef>
#include <cstring>

#include "platform/display_text.h"

namespace {

constexpr char kVendor[] = "TAVRINE";
constexpr char kProduct[] = "KTX7724R05";

template <std::size_t N>
bool FieldIs(const char (&field)[N], const char* expected) {
    const std::size_t length = InquiryFieldLength(field);
    return length == std::strlen(expected) && std::memcmp(field, expected, length) == 0;
}

bool KeptAsIs(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
}

// `field` without trailing blanks or NULs, each character not kept as it is
// written as '_'.
template <std::size_t N>
void AppendNamePart(PathText& name, const char (&field)[N]) {
    const std::size_t length = InquiryFieldLength(field);
    for (std::size_t i = 0; i < length; ++i) name.Append(KeptAsIs(field[i]) ? field[i] : '_');
}

// Appends the separator before item `index` of `count` ("", ", ", " and ").
void AppendListSeparator(int index, int count, TextBuffer& out) {
    if (index == 0) return;
    out.Append(index == count - 1 ? " and " : ", ");
}

}  // namespace

bool IsKtxDrive(const DeviceRecord& drive) {
    return FieldIs(drive.vendorId, kVendor) && FieldIs(drive.productId, kProduct);
}

void AppendReportedModel(const DeviceRecord& drive, TextBuffer& text) {
    text.Append("vendor \"");
    AppendDisplayText(text, drive.vendorId, InquiryFieldLength(drive.vendorId));
    text.Append("\", product \"");
    AppendDisplayText(text, drive.productId, InquiryFieldLength(drive.productId));
    text.Append("\"");
}

void FormatBackupFileName(const DeviceRecord& drive, const LocalTime& now, PathText& name) {
    name.Assign("");
    AppendNamePart(name, drive.productId);
    name.Append("-");
    AppendNamePart(name, drive.productRevision);
    name.AppendFormat("-%04d%02d%02d-%02d%02d%02d.bin", now.year, now.month, now.day, now.hour, now.minute,
                      now.second);
}

namespace terminal {

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
