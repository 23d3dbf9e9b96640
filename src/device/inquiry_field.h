#pragma once
// An INQUIRY text field of a drive record (vendor, product, revision) as a
// person reads it: without the trailing blanks and NULs that pad it.

#include <cstddef>

// The length of `field` (at most `size` characters) without trailing blanks
// and NULs.
inline std::size_t InquiryFieldLength(const char* field, std::size_t size) {
    std::size_t length = 0;
    while (length < size && field[length] != '\0') ++length;
    while (length > 0 && field[length - 1] == ' ') --length;
    return length;
}

// The same for a record's NUL-terminated field array.
template <std::size_t N>
std::size_t InquiryFieldLength(const char (&field)[N]) {
    return InquiryFieldLength(field, N - 1);
}
