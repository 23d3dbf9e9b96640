#pragma once
// A SHA-256 digest as the 64 lower-case hexadecimal digits that makers
// publish and sha256sum prints.

#include <string>

#include "published_check.h"

inline std::string Sha256Text(const Sha256Digest& digest) {
    char text[kSha256TextSize];
    FormatSha256(digest, text);
    return text;
}
