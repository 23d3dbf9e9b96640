#include "app/terminal/json_report.h"

#include <array>

#include "app/terminal/json_line.h"
#include "device/device_list.h"

namespace terminal {

void JsonReport::Start(const char* action) {
    JsonLine("ktxflash").Number("schema", kJsonSchemaVersion).Text("action", action).WriteTo(out_);
}

void JsonReport::Drive(const char* name, const DeviceRecord& record, int dvdRomOnly) {
    JsonLine line("drive");
    line.Text("name", name)
        .Text("vendor", record.vendorId, InquiryFieldLength(record.vendorId))
        .Text("product", record.productId, InquiryFieldLength(record.productId))
        .Text("revision", record.productRevision, InquiryFieldLength(record.productRevision));
    if (dvdRomOnly < 0)
        line.Null("dvdRomOnly");
    else
        line.Flag("dvdRomOnly", dvdRomOnly != 0);
    line.WriteTo(out_);
}

void JsonReport::Package(const FirmwarePackage& package) {
    JsonLine line("package");
    line.Flag("combined", !package.isUncombined());
    if (!package.isUncombined()) {
        const std::array<char, 5> tag = package.revisionTag();
        MessageText sum;
        sum.Format("%04X", static_cast<unsigned>(package.expectedSum()));
        line.Text("revisionTag", tag.data()).Number("mask", package.versionCheckMask()).Text("imageSum", sum.c_str());
    }
    line.WriteTo(out_);
}

void JsonReport::Check(const char* name, bool passed, const char* text) {
    JsonLine line("check");
    line.Text("name", name).Flag("passed", passed);
    if (text != nullptr) line.Text("text", text);
    line.WriteTo(out_);
}

void JsonReport::Backup(const char* file, const char* why) {
    JsonLine line("backup");
    if (file != nullptr)
        line.Flag("written", true).Text("file", file);
    else
        line.Flag("written", false).Text("why", why);
    line.WriteTo(out_);
}

void JsonReport::BlockCompared(int number, bool same) {
    JsonLine("compared").Number("block", number).Flag("same", same).WriteTo(out_);
}

void JsonReport::Error(const char* subject, const char* message) {
    JsonLine line("error");
    if (subject != nullptr) line.Text("subject", subject);
    line.Text("message", message).WriteTo(out_);
}

void JsonReport::Block(int number, int tries, bool accepted) {
    JsonLine("block").Number("block", number).Number("tries", tries).Flag("accepted", accepted).WriteTo(out_);
}

void JsonReport::Outcome(const char* end, int exitStatus, const char* result, const char* status) {
    JsonLine line("outcome");
    line.Text("result", result).Number("exit", exitStatus).Text("end", end);
    if (status != nullptr && status[0] != '\0') line.Text("status", status);
    line.WriteTo(out_);
}

}  // namespace terminal
