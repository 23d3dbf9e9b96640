#include "dialog_template_reader.h"


namespace {

// Little-endian reads over the template with a bounds check on every step.
class TemplateCursor {
public:
    TemplateCursor(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    bool failed() const { return failed_; }

    std::uint16_t Word() {
        if (!Need(2)) return 0;
        const std::uint16_t value = static_cast<std::uint16_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
        at_ += 2;
        return value;
    }
    std::uint32_t Dword() {
        const std::uint32_t low = Word();
        return low | (static_cast<std::uint32_t>(Word()) << 16);
    }
    int Short() { return static_cast<std::int16_t>(Word()); }
    int Byte() {
        if (!Need(1)) return 0;
        return bytes_[at_++];
    }
    // A NUL-terminated UTF-16 text, narrowed (the template holds ASCII).
    std::string Text() {
        std::string text;
        for (std::uint16_t c = Word(); c != 0 && !failed_; c = Word()) {
            text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        }
        return text;
    }
    // A class, menu or title field: empty, an ordinal or a text.
    std::string TextOrOrdinal() {
        const std::uint16_t first = Word();
        if (first == 0) return std::string();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string text(1, first < 0x80 ? static_cast<char>(first) : '?');
        return text + Text();
    }
    void AlignToDword() { at_ = (at_ + 3) & ~static_cast<std::size_t>(3); }
    void Skip(std::size_t count) {
        if (Need(count)) at_ += count;
    }

private:
    bool Need(std::size_t count) {
        if (failed_ || at_ + count > size_) failed_ = true;
        return !failed_;
    }

    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

constexpr std::uint32_t kDsSetFont = 0x40;
constexpr std::uint32_t kDsShellFont = 0x48;

}  // namespace

bool ReadDialogTemplateEx(const std::uint8_t* bytes, std::size_t size, DialogTemplate& dialog, std::string& error) {
    TemplateCursor in(bytes, size);
    const std::uint16_t version = in.Word();
    const std::uint16_t signature = in.Word();
    if (in.failed() || version != 1 || signature != 0xFFFF) {
        error = "not an extended dialog template";
        return false;
    }
    dialog.helpId = in.Dword();
    dialog.exStyle = in.Dword();
    dialog.style = in.Dword();
    const int itemCount = in.Word();
    dialog.x = in.Short();
    dialog.y = in.Short();
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    dialog.menu = in.TextOrOrdinal();
    dialog.windowClass = in.TextOrOrdinal();
    dialog.title = in.Text();
    if ((dialog.style & kDsSetFont) != 0 || (dialog.style & kDsShellFont) == kDsShellFont) {
        dialog.pointSize = in.Word();
        dialog.weight = in.Word();
        dialog.italic = in.Byte();
        dialog.charset = in.Byte();
        dialog.typeface = in.Text();
    }
    for (int i = 0; i < itemCount && !in.failed(); ++i) {
        in.AlignToDword();
        DialogItem item{};
        item.helpId = in.Dword();
        item.exStyle = in.Dword();
        item.style = in.Dword();
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = in.Dword();
        item.windowClass = in.TextOrOrdinal();
        item.title = in.TextOrOrdinal();
        item.extraCount = in.Word();
        in.Skip(static_cast<std::size_t>(item.extraCount));
        dialog.items.push_back(item);
    }
    if (in.failed()) {
        error = "template ends early";
        return false;
    }
    return true;
}

std::string CharUpperString(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}
