#include "display_text.h"

#include "platform/display_text.h"

namespace {

// One of the shared rules, a piece at a time through a buffer that always
// holds a whole piece's shown form.
std::string Shown(const char* bytes, std::size_t length,
                  void (*append)(TextBuffer&, const char*, std::size_t)) {
    constexpr std::size_t kPiece = 64;
    FixedText<kPiece * kDisplayBytesPerByte + 1> piece;
    std::string shown;
    for (std::size_t done = 0; done < length; done += kPiece) {
        piece.Clear();
        append(piece, bytes + done, length - done < kPiece ? length - done : kPiece);
        shown.append(piece.c_str(), piece.size());
    }
    return shown;
}

}  // namespace

std::string DisplayText(const char* bytes, std::size_t length) {
    return Shown(bytes, length, AppendDisplayText);
}

std::string DisplayText(const std::string& text) {
    return DisplayText(text.data(), text.size());
}

std::string DisplayPath(const std::string& path) {
    return Shown(path.data(), path.size(), AppendDisplayPath);
}
