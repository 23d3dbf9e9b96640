#include "app/terminal/drive_model_check.h"

#include <cstring>

#include "device/inquiry_field.h"
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
