#include "display_text.h"

#include <cstdio>

std::string DisplayText(const char* bytes, std::size_t length) {
    std::string shown;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c <= 0x7E && c != '\\' && c != '"') {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    return shown;
}

std::string DisplayText(const std::string& text) {
    return DisplayText(text.data(), text.size());
}
