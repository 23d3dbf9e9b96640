#pragma once
// ASCII case folding, whatever the C library's locale says: drive
// revisions, typed answers and drive names are compared without regard to
// case, and only the 26 Latin letters fold.

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// True when the two texts are equal but for ASCII case.
inline bool SameIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (AsciiUpper(*a) != AsciiUpper(*b)) return false;
    return *a == *b;
}
