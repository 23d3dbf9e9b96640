#pragma once
// Hexadecimal digits: the value of one of either case, or -1 for any other
// character; and the upper-case digit of a value's low four bits.

constexpr int HexDigitValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
}

constexpr char UpperHexDigit(unsigned value) { return "0123456789ABCDEF"[value & 0x0Fu]; }
