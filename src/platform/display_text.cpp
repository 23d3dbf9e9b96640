#include "platform/display_text.h"

#include <cstring>

namespace {

// Appends `length` bytes, each that `escaped` picks as \xNN.
template <typename EscapedByte>
void AppendShown(TextBuffer& out, const char* bytes, std::size_t length, EscapedByte escaped) {
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (!escaped(c)) {
            out.Append(static_cast<char>(c));
        } else {
            const char form[kDisplayBytesPerByte] = {'\\', 'x', kHex[c >> 4], kHex[c & 0x0F]};
            const std::size_t before = out.size();
            out.Append(form, sizeof form);
            // An escape is shown whole or not at all (the text reports the
            // cut), and nothing after a cut is shown, or a byte would seem
            // to be missing from the middle.
            if (out.truncated() && out.size() - before < sizeof form) out.SetLengthWritten(before);
        }
        if (out.truncated()) return;
    }
}

}  // namespace

void AppendDisplayText(TextBuffer& out, const char* bytes, std::size_t length) {
    AppendShown(out, bytes, length, [](unsigned char c) { return c < 0x20 || c > 0x7E || c == '\\' || c == '"'; });
}

void AppendDisplayText(TextBuffer& out, const char* text) {
    if (text != nullptr) AppendDisplayText(out, text, std::strlen(text));
}

void AppendDisplayPath(TextBuffer& out, const char* bytes, std::size_t length) {
    AppendShown(out, bytes, length, [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

void AppendDisplayPath(TextBuffer& out, const char* path) {
    if (path != nullptr) AppendDisplayPath(out, path, std::strlen(path));
}
