// The two ways bytes from outside are shown: text (anything but printable
// ASCII escaped, the backslash and the quote too) and a file name as typed
// (only control characters escaped); and an escape cut at the capacity.

#include "platform/display_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DisplayText, TextEscapesAllButPrintableAsciiPathsOnlyControls) {
    const struct {
        std::string bytes;
        const char* asText;
        const char* asPath;
    } cases[] = {
        {"P1.3", "P1.3", "P1.3"},
        {"C:\\fw\\P13.BIN", "C:\\x5Cfw\\x5CP13.BIN", "C:\\fw\\P13.BIN"},
        {"/tmp/a b \"c\".bin", "/tmp/a b \\x22c\\x22.bin", "/tmp/a b \"c\".bin"},
        {"caf\xC3\xA9.bin", "caf\\xC3\\xA9.bin", "caf\xC3\xA9.bin"},
        {"a\nb\x1B[2J\x7F", "a\\x0Ab\\x1B[2J\\x7F", "a\\x0Ab\\x1B[2J\\x7F"},
        {std::string("nul\0x", 5), "nul\\x00x", "nul\\x00x"},
    };
    for (const auto& c : cases) {
        FixedText<128> text;
        AppendDisplayText(text, c.bytes.data(), c.bytes.size());
        EXPECT_STREQ(text.c_str(), c.asText);
        FixedText<128> path;
        AppendDisplayPath(path, c.bytes.data(), c.bytes.size());
        EXPECT_STREQ(path.c_str(), c.asPath);
    }
}

TEST(DisplayText, AnEscapeIsShownWholeOrNotAtAll) {
    FixedText<6> text;  // room for five characters
    AppendDisplayPath(text, "ab\ncd");
    EXPECT_STREQ(text.c_str(), "ab");
    EXPECT_TRUE(text.truncated());
}

TEST(DisplayText, ShowsPrintableAsciiAndEscapesEverythingElse) {
    MessageText text;
    AppendDisplayText(text, "P1.3 \"q\" \\ \x1b\x7f\xff", 14);
    EXPECT_STREQ(text.c_str(), "P1.3 \\x22q\\x22 \\x5C \\x1B\\x7F\\xFF");
    FixedText<6> small;
    AppendDisplayText(small, "\x01\x02");
    EXPECT_STREQ(small.c_str(), "\\x01");  // an escape whole or not at all
    EXPECT_TRUE(small.truncated());
}

}  // namespace
