// SHA-256 against published test vectors (across the one- and two-block
// tails), its text in both directions, and the published check held
// against an image.

#include "firmware/published_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Sha256Text(const std::string& message) {
    char text[kSha256TextSize];
    FormatSha256(Sha256(reinterpret_cast<const std::uint8_t*>(message.data()), message.size()), text);
    return text;
}

TEST(Sha256, MatchesPublishedVectors) {
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the block, a second one follows.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Text(c.message), c.digest) << c.message.size() << " bytes";
}

TEST(Sha256, TextReadsBackInEitherCaseAndRefusesAnythingElse) {
    const std::string lower = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    std::string upper = lower;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& text : {lower, upper}) {
        Sha256Digest digest{};
        ASSERT_TRUE(ParseSha256Text(text.data(), text.size(), digest)) << text;
        char back[kSha256TextSize];
        FormatSha256(digest, back);
        EXPECT_EQ(back, lower);
    }
    for (const std::string& bad : {lower.substr(1), lower + "0", "g" + lower.substr(1), std::string(),
                                   "0x" + lower.substr(2), lower.substr(0, 63) + " "}) {
        Sha256Digest digest{};
        EXPECT_FALSE(ParseSha256Text(bad.data(), bad.size(), digest)) << bad;
    }
}

TEST(PublishedCheck, HoldsEitherFingerprintAgainstTheImage) {
    std::vector<std::uint8_t> image(0x20000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    const ImageFingerprints right = FingerprintImage(image.data(), image.size());
    std::vector<std::uint8_t> swapped = image;  // same byte sum, other SHA-256
    std::swap(swapped[0], swapped[1]);
    ASSERT_NE(swapped[0], swapped[1]);
    const ImageFingerprints other = FingerprintImage(swapped.data(), swapped.size());
    ASSERT_EQ(other.byteSum, right.byteSum);

    PublishedCheck bySha;
    bySha.kind = PublishedCheck::Kind::Sha256;
    bySha.sha256 = right.sha256;
    PublishedCheck bySum;
    bySum.kind = PublishedCheck::Kind::ByteSum;
    bySum.byteSum = right.byteSum;
    PublishedCheck wrongSum = bySum;
    wrongSum.byteSum = static_cast<std::uint16_t>(right.byteSum + 1);

    EXPECT_EQ(HoldAgainst(bySha, right), PublishedCheckResult::Matches);
    EXPECT_EQ(HoldAgainst(bySha, other), PublishedCheckResult::Differs);
    EXPECT_EQ(HoldAgainst(bySum, other), PublishedCheckResult::Matches);  // what a byte sum cannot see
    EXPECT_EQ(HoldAgainst(wrongSum, right), PublishedCheckResult::Differs);
    EXPECT_EQ(HoldAgainst(PublishedCheck{}, right), PublishedCheckResult::NotGiven);
}

}  // namespace
