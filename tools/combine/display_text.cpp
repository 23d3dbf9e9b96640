#include "display_text.h"

#include "platform/display_text.h"

std::string DisplayText(const char* bytes, std::size_t length) {
    // The shared rule, a piece at a time through a buffer that always holds
    // a whole piece's shown form.
    constexpr std::size_t kPiece = 64;
    FixedText<kPiece * kDisplayBytesPerByte + 1> piece;
    std::string shown;
    for (std::size_t done = 0; done < length; done += kPiece) {
        piece.Clear();
        AppendDisplayText(piece, bytes + done, length - done < kPiece ? length - done : kPiece);
        shown.append(piece.c_str(), piece.size());
    }
    return shown;
}

std::string DisplayText(const std::string& text) {
    return DisplayText(text.data(), text.size());
}
