#include "hex_text.h"


namespace sim {
namespace {

const char kDigits[] = "0123456789ABCDEF";

void AppendByte(std::string& out, std::uint8_t value) {
    out += kDigits[value >> 4];
    out += kDigits[value & 0x0F];
}

}  // namespace

std::string Hex16(std::uint16_t value) {
    std::string out = "0x";
    AppendByte(out, static_cast<std::uint8_t>(value >> 8));
    AppendByte(out, static_cast<std::uint8_t>(value & 0xFF));
    return out;
}

std::string Hex8(std::uint8_t value) {
    std::string out = "0x";
    AppendByte(out, value);
    return out;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) out += ' ';
        AppendByte(out, bytes[i]);
    }
    return out;
}

}  // namespace sim
