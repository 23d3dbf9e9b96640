#include "app/terminal/drive_rules.h"

#include <cstddef>
#include <cstring>

#include "device/device_list.h"
#include "platform/display_text.h"

namespace {

constexpr char kVendor[] = "TAVRINE";
constexpr char kProduct[] = "KTX7724R05";

template <std::size_t N>
bool FieldIs(const char (&field)[N], const char* expected) {
    const std::size_t length = InquiryFieldLength(field);
    return length == std::strlen(expected) && std::memcmp(field, expected, length) == 0;
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

namespace {

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

}  // namespace

void FormatBackupFileName(const DeviceRecord& drive, const LocalTime& now, PathText& name) {
    name.Assign("");
    AppendNamePart(name, drive.productId);
    name.Append("-");
    AppendNamePart(name, drive.productRevision);
    name.AppendFormat("-%04d%02d%02d-%02d%02d%02d.bin", now.year, now.month, now.day, now.hour, now.minute,
                      now.second);
}
