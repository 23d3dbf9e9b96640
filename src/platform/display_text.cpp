#include "platform/display_text.h"

#include <cstring>

void AppendDisplayText(TextBuffer& out, const char* bytes, std::size_t length) {
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c <= 0x7E && c != '\\' && c != '"') {
            out.Append(static_cast<char>(c));
        } else {
            const char escaped[kDisplayBytesPerByte] = {'\\', 'x', kHex[c >> 4], kHex[c & 0x0F]};
            const std::size_t before = out.size();
            out.Append(escaped, sizeof escaped);
            // An escape is shown whole or not at all (the text reports the cut).
            if (out.truncated() && out.size() - before < sizeof escaped) out.SetLengthWritten(before);
        }
    }
}

void AppendDisplayText(TextBuffer& out, const char* text) {
    if (text != nullptr) AppendDisplayText(out, text, std::strlen(text));
}
