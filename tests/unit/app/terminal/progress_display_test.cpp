// Progress: a bar redrawn in place on a terminal, one plain line per new
// value otherwise.

#include "app/terminal/terminal_face.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "captured_file.h"

namespace {

using Output = CapturedFile;

std::string Bar(int percent) {
    FixedText<80> text;
    terminal::FormatProgressBar(percent, text);
    return text.c_str();
}

TEST(ProgressDisplay, TheBarFillsInProportionAndClamps) {
    EXPECT_EQ(Bar(0), "\r[" + std::string(40, '.') + "]   0%");
    EXPECT_EQ(Bar(25), "\r[" + std::string(10, '#') + std::string(30, '.') + "]  25%");
    EXPECT_EQ(Bar(12), "\r[" + std::string(4, '#') + std::string(36, '.') + "]  12%");
    EXPECT_EQ(Bar(100), "\r[" + std::string(40, '#') + "] 100%");
    EXPECT_EQ(Bar(140), Bar(100));
    EXPECT_EQ(Bar(-5), Bar(0));
}

TEST(ProgressDisplay, OnATerminalTheBarIsRedrawnInPlaceAndEndedOnce) {
    Output out;
    terminal::ProgressDisplay display(out.file(), true);
    display.Show(0);
    display.Show(0);
    display.Show(50);
    display.EndLine();
    display.EndLine();
    EXPECT_EQ(out.Text(), Bar(0) + Bar(50) + "\n");
    // After a message on its own line, the same value draws a new bar.
    display.Show(50);
    EXPECT_EQ(out.Text(), Bar(0) + Bar(50) + "\n" + Bar(50));
}

TEST(ProgressDisplay, ElsewhereEachNewValueIsOnePlainLine) {
    Output out;
    terminal::ProgressDisplay display(out.file(), false);
    for (int percent : {0, 12, 12, 25, 100, 100}) display.Show(percent);
    display.EndLine();
    const std::string text = out.Text();
    EXPECT_EQ(text, "Progress: 0%\nProgress: 12%\nProgress: 25%\nProgress: 100%\n");
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

}  // namespace
