#include "firmware/byte_sum.h"

std::uint16_t byteSum16(const std::uint8_t* bytes, std::size_t count) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum = static_cast<std::uint16_t>(sum + bytes[i]);
    }
    return sum;
}
