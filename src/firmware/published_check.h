#pragma once
// The check a firmware image's maker publishes beside it, and the image's
// own fingerprints to hold against it: the SHA-256 of the image file and
// its 16-bit byte sum. The package header carries only the byte sum, and
// that sum is computed from whatever image was combined, so it guards the
// program file, not the image's way from its maker: the published check is
// what does that, where the image enters (ktxcombine, ktxflash --image).

#include <cstddef>
#include <cstdint>

constexpr std::size_t kSha256Length = 32;
// 64 hexadecimal digits and a terminating NUL.
constexpr std::size_t kSha256TextSize = 2 * kSha256Length + 1;

struct Sha256Digest {
    std::uint8_t bytes[kSha256Length];
};

// The SHA-256 of `size` bytes (FIPS 180-4).
Sha256Digest Sha256(const std::uint8_t* data, std::size_t size);
// The digest as 64 lower-case hexadecimal digits, as sha256sum and
// certutil print it.
void FormatSha256(const Sha256Digest& digest, char (&text)[kSha256TextSize]);
// Exactly 64 hexadecimal digits of either case; false for anything else.
bool ParseSha256Text(const char* text, std::size_t length, Sha256Digest& digest);

// What the user gave: the image file's SHA-256, its byte sum, or nothing.
struct PublishedCheck {
    enum class Kind { None, Sha256, ByteSum };
    Kind kind = Kind::None;
    Sha256Digest sha256 = {};
    std::uint16_t byteSum = 0;
};

// An image's two fingerprints, computed once.
struct ImageFingerprints {
    Sha256Digest sha256;
    std::uint16_t byteSum;
};
ImageFingerprints FingerprintImage(const std::uint8_t* image, std::size_t size);

enum class PublishedCheckResult { Matches, Differs, NotGiven };
PublishedCheckResult HoldAgainst(const PublishedCheck& check, const ImageFingerprints& image);
