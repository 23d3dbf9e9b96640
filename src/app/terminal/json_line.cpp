#include "app/terminal/json_line.h"

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

void JsonLine::Name(const char* name) {
    text_.Append(',');
    AppendJsonString(text_, name, std::strlen(name));
    text_.Append(':');
}

JsonLine& JsonLine::Text(const char* name, const char* value) {
    return Text(name, value, value != nullptr ? std::strlen(value) : 0);
}

JsonLine& JsonLine::Text(const char* name, const char* value, std::size_t length) {
    Name(name);
    AppendJsonString(text_, value != nullptr ? value : "", length);
    return *this;
}

JsonLine& JsonLine::Number(const char* name, long value) {
    Name(name);
    text_.AppendFormat("%ld", value);
    return *this;
}

JsonLine& JsonLine::Flag(const char* name, bool value) {
    Name(name);
    text_.Append(value ? "true" : "false");
    return *this;
}

JsonLine& JsonLine::Null(const char* name) {
    Name(name);
    text_.Append("null");
    return *this;
}

void JsonLine::WriteTo(std::FILE* out) {
    text_.Append('}');
    std::fputs(text_.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

}  // namespace terminal
