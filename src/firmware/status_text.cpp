#include "firmware/status_text.h"

MessageText OpenDeviceFailedText(const DeviceRecord& record) {
    // The record's texts always carry their NUL within the array, so %s
    // stops inside it; the fields' fixed size bounds the text anyway.
    MessageText text;
    text.Format("Open Device (%u %u)%.*s%.*s Failed!!", static_cast<unsigned>(record.hostAdapter),
                static_cast<unsigned>(record.targetId), static_cast<int>(sizeof record.vendorId), record.vendorId,
                static_cast<int>(sizeof record.productId), record.productId);
    return text;
}
