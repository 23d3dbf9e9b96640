#include "app/terminal/backup_file_name.h"

#include <cstddef>

#include "device/inquiry_field.h"

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
