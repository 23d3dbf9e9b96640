#include "status_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(args);
    return text;
}

std::string OpenDeviceFailedText(const DeviceRecord& record) {
    // The record's texts always carry their NUL within the array, so %s
    // stops inside it; the fields' fixed size bounds the text anyway.
    return FormatText("Open Device (%u %u)%.*s%.*s Failed!!", static_cast<unsigned>(record.hostAdapter),
                      static_cast<unsigned>(record.targetId), static_cast<int>(sizeof record.vendorId),
                      record.vendorId, static_cast<int>(sizeof record.productId), record.productId);
}
