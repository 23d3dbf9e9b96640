#include "app/terminal/json_report.h"

#include <array>
#include <cstring>

namespace terminal {

void AppendJsonString(TextBuffer& out, const char* bytes, std::size_t length) {
    static const char kHex[] = "0123456789ABCDEF";
    out.Append('"');
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '"' || c == '\\') {
            out.Append('\\');
            out.Append(static_cast<char>(c));
        } else if (c >= 0x20 && c <= 0x7E) {
            out.Append(static_cast<char>(c));
        } else {
            const char escaped[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0x0F]};
            out.Append(escaped, sizeof escaped);
        }
    }
    out.Append('"');
}

JsonLine::JsonLine(const char* type) {
    text_.Assign("{\"type\":");
    AppendJsonString(text_, type, std::strlen(type));
}

JsonText& JsonLine::Name(const char* name) {
    text_.Append(',');
    AppendJsonString(text_, name, std::strlen(name));
    text_.Append(':');
    return text_;
}

JsonLine& JsonLine::Text(const char* name, const char* value) {
    return Text(name, value, value != nullptr ? std::strlen(value) : 0);
}

JsonLine& JsonLine::Text(const char* name, const char* value, std::size_t length) {
    AppendJsonString(Name(name), value != nullptr ? value : "", length);
    return *this;
}

JsonLine& JsonLine::Number(const char* name, long value) {
    Name(name).AppendFormat("%ld", value);
    return *this;
}

JsonLine& JsonLine::Flag(const char* name, bool value) {
    Name(name).Append(value ? "true" : "false");
    return *this;
}

JsonLine& JsonLine::Null(const char* name) {
    Name(name).Append("null");
    return *this;
}

void JsonLine::WriteTo(std::FILE* out) {
    text_.Append('}');
    std::fputs(text_.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

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
