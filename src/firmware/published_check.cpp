#include "firmware/published_check.h"

#include <cstring>

#include "firmware/firmware_package.h"

namespace {

constexpr std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::uint32_t RotateRight(std::uint32_t value, unsigned bits) {
    return (value >> bits) | (value << (32 - bits));
}

// Folds one 64-byte block into the state.
void CompressBlock(std::uint32_t (&state)[8], const std::uint8_t* block) {
    std::uint32_t schedule[64];
    for (int i = 0; i < 16; ++i) {
        schedule[i] = static_cast<std::uint32_t>(block[4 * i]) << 24 | static_cast<std::uint32_t>(block[4 * i + 1]) << 16 |
                      static_cast<std::uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
    }
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = RotateRight(schedule[i - 15], 7) ^ RotateRight(schedule[i - 15], 18) ^ (schedule[i - 15] >> 3);
        const std::uint32_t s1 = RotateRight(schedule[i - 2], 17) ^ RotateRight(schedule[i - 2], 19) ^ (schedule[i - 2] >> 10);
        schedule[i] = schedule[i - 16] + s0 + schedule[i - 7] + s1;
    }
    // The working variables: in round i, a..h are v[(0 - i) & 7] .. v[(7 - i) & 7],
    // so a round renames them instead of moving them; 64 rounds end aligned.
    std::uint32_t v[8];
    std::memcpy(v, state, sizeof v);
    for (int i = 0; i < 64; ++i) {
        const auto at = [&v, i](int k) -> std::uint32_t& { return v[(k - i) & 7]; };
        const std::uint32_t t1 = at(7) + (RotateRight(at(4), 6) ^ RotateRight(at(4), 11) ^ RotateRight(at(4), 25)) +
                                 ((at(4) & at(5)) ^ (~at(4) & at(6))) + kRoundConstants[i] + schedule[i];
        const std::uint32_t t2 = (RotateRight(at(0), 2) ^ RotateRight(at(0), 13) ^ RotateRight(at(0), 22)) +
                                 ((at(0) & at(1)) ^ (at(0) & at(2)) ^ (at(1) & at(2)));
        at(3) += t1;      // the next round's e
        at(7) = t1 + t2;  // the next round's a
    }
    for (int i = 0; i < 8; ++i) state[i] += v[i];
}

}  // namespace

Sha256Digest Sha256(const std::uint8_t* data, std::size_t size) {
    std::uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::size_t done = 0;
    for (; size - done >= 64; done += 64) CompressBlock(state, data + done);

    // The tail, the 0x80 byte, zeros and the length in bits (big-endian)
    // fill one or two last blocks.
    std::uint8_t tail[128] = {};
    const std::size_t rest = size - done;
    if (rest > 0) std::memcpy(tail, data + done, rest);
    tail[rest] = 0x80;
    const std::size_t tailLength = rest < 56 ? 64 : 128;
    const std::uint64_t bits = static_cast<std::uint64_t>(size) * 8u;
    for (int i = 0; i < 8; ++i) tail[tailLength - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    CompressBlock(state, tail);
    if (tailLength == 128) CompressBlock(state, tail + 64);

    Sha256Digest digest;
    for (int i = 0; i < 32; ++i) digest.bytes[i] = static_cast<std::uint8_t>(state[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

void FormatSha256(const Sha256Digest& digest, char (&text)[kSha256TextSize]) {
    static const char kLowerHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < kSha256Length; ++i) {
        text[2 * i] = kLowerHex[digest.bytes[i] >> 4];
        text[2 * i + 1] = kLowerHex[digest.bytes[i] & 0x0F];
    }
    text[2 * kSha256Length] = '\0';
}

bool ParseSha256Text(const char* text, std::size_t length, Sha256Digest& digest) {
    if (length != 2 * kSha256Length) return false;
    Sha256Digest parsed;
    for (std::size_t i = 0; i < kSha256Length; ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        parsed.bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    digest = parsed;
    return true;
}

ImageFingerprints FingerprintImage(const std::uint8_t* image, std::size_t size) {
    return ImageFingerprints{Sha256(image, size), byteSum16(image, size)};
}

PublishedCheckResult HoldAgainst(const PublishedCheck& check, const ImageFingerprints& image) {
    switch (check.kind) {
    case PublishedCheck::Kind::None: return PublishedCheckResult::NotGiven;
    case PublishedCheck::Kind::Sha256:
        return std::memcmp(check.sha256.bytes, image.sha256.bytes, kSha256Length) == 0 ? PublishedCheckResult::Matches
                                                                                          : PublishedCheckResult::Differs;
    case PublishedCheck::Kind::ByteSum:
        return check.byteSum == image.byteSum ? PublishedCheckResult::Matches : PublishedCheckResult::Differs;
    }
    return PublishedCheckResult::Differs;
}
