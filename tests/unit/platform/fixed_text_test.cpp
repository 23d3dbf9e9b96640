// The fixed-capacity text: appending, formatting and cutting at the
// capacity, embedded NULs, copies that keep their own storage.

#include "platform/fixed_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FixedText, AppendsAndFormatsWithinItsCapacity) {
    FixedText<32> text("Open Device");
    text.AppendFormat(" (%u %u)", 1u, 2u);
    text.Append(" Failed!!");
    EXPECT_STREQ(text.c_str(), "Open Device (1 2) Failed!!");
    EXPECT_EQ(text.size(), 26u);
    EXPECT_FALSE(text.truncated());

    text.Format("%04X", 0x7E45u);
    EXPECT_STREQ(text.c_str(), "7E45");
    EXPECT_EQ(text.size(), 4u);
}

TEST(FixedText, WhatDoesNotFitIsCutTerminatedAndReported) {
    FixedText<8> text;
    text.Append("0123456789");
    EXPECT_STREQ(text.c_str(), "0123456");
    EXPECT_EQ(text.size(), 7u);
    EXPECT_TRUE(text.truncated());
    text.Append('x');
    EXPECT_STREQ(text.c_str(), "0123456");

    text.Format("%s-%s", "abcd", "efgh");
    EXPECT_STREQ(text.c_str(), "abcd-ef");
    EXPECT_EQ(text.size(), 7u);
    EXPECT_TRUE(text.truncated());

    text.Clear();
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(text.truncated());
}

TEST(FixedText, HoldsEmbeddedNulsAndTheLengthAPlatformCallWrote) {
    FixedText<16> text;
    text.Append("Bin");
    text.Append('\0');
    text.Append("*.bin");
    EXPECT_EQ(text.size(), 9u);
    EXPECT_EQ(std::string(text), std::string("Bin\0*.bin", 9));

    FixedText<4> written;
    std::snprintf(written.data(), written.capacity(), "%s", "abc");
    written.SetLengthWritten(99);  // more than fits: held at the capacity
    EXPECT_EQ(written.size(), 3u);
    EXPECT_STREQ(written.c_str(), "abc");
}

TEST(FixedText, CopiesKeepTheirOwnStorage) {
    FixedText<16> original("first");
    FixedText<16> copy(original);
    original.Assign("second");
    EXPECT_STREQ(copy.c_str(), "first");
    copy = original;
    original.Clear();
    EXPECT_STREQ(copy.c_str(), "second");
    EXPECT_NE(copy.c_str(), original.c_str());
}

}  // namespace
