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

void ReportStatus(const FirmwareContext& context, const char* text) {
    const CommandReport& last = context.transport.lastCommand();
    if (last.refused()) context.port.SystemProblem(last.refusal);
    context.port.ShowStatus(text);
}

const char* UpgradeCheckName(UpgradeCheck check) {
    switch (check) {
    case UpgradeCheck::DvdRomOnly: return "dvd-rom-only";
    case UpgradeCheck::ImageSize: return "image-size";
    case UpgradeCheck::Revision: return "revision";
    case UpgradeCheck::ImageSum: break;
    }
    return "image-sum";
}
