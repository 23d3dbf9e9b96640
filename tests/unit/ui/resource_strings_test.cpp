// The string table texts as the resource script takes them.

#include "firmware/shared_texts.h"
#include "ui/resources/resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(ResourceStrings, TextsHaveTheirExactLengths) {
    EXPECT_EQ(std::string(KTX_STRING_RESTART_PROMPT).size(), 143u);
    EXPECT_EQ(std::string(KTX_STRING_CLOSE_APPLICATIONS).size(), 193u);
    EXPECT_EQ(std::string(KTX_TEXT_UPGRADE_WARNING).size(), 267u);
}

TEST(ResourceStrings, EscapesAreLineFeedsAndOneBackslash) {
    const std::string prompt = KTX_STRING_RESTART_PROMPT;
    EXPECT_NE(prompt.find("device(A:\\) and"), std::string::npos);
    EXPECT_EQ(std::count(prompt.begin(), prompt.end(), '\\'), 1);
    EXPECT_EQ(std::count(prompt.begin(), prompt.end(), '\n'), 2);
    const std::string confirmation = KTX_TEXT_UPGRADE_WARNING;
    EXPECT_EQ(std::count(confirmation.begin(), confirmation.end(), '\n'), 6);
}

}  // namespace
