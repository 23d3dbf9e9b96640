// Confirmations default to No: only y or yes goes on.

#include "app/terminal/yes_no_answer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(YesNoAnswer, OnlyYOrYesInAnyCaseGoesOn) {
    for (const char* yes : {"y", "Y", "yes", "YES", "Yes", "yEs\n", "y\r\n", "  yes \t\n"})
        EXPECT_TRUE(terminal::IsYesAnswer(yes)) << "'" << yes << "'";
    for (const char* no : {"", "\n", "\r\n", "   \n", "n", "no", "ye", "yess", "yes please", "y y", "ja", "1",
                           "true", "\xC3\xBF", "ok"})
        EXPECT_FALSE(terminal::IsYesAnswer(no)) << "'" << no << "'";
}

// Answers read one line each from a stream, as from the terminal.
std::FILE* Input(const std::string& text) {
    std::FILE* in = std::tmpfile();
    std::fputs(text.c_str(), in);
    std::rewind(in);
    return in;
}

TEST(YesNoAnswer, EachLineAnswersOneQuestionAndTheEndOfInputIsNo) {
    std::FILE* in = Input("yes\n\nY\nmaybe\ny");
    EXPECT_TRUE(terminal::ReadYesAnswer(in));
    EXPECT_FALSE(terminal::ReadYesAnswer(in));  // Enter
    EXPECT_TRUE(terminal::ReadYesAnswer(in));
    EXPECT_FALSE(terminal::ReadYesAnswer(in));
    EXPECT_TRUE(terminal::ReadYesAnswer(in));   // last line without a line end
    EXPECT_FALSE(terminal::ReadYesAnswer(in));  // end of input
    std::fclose(in);
}

TEST(YesNoAnswer, AnOverLongLineIsNoAndDoesNotSpillIntoTheNextAnswer) {
    // "yes" at the very end of a long line must not be taken for the next answer.
    std::FILE* in = Input(std::string(terminal::kAnswerLineCapacity * 3, ' ') + "yes\nno\n");
    EXPECT_FALSE(terminal::ReadYesAnswer(in));
    EXPECT_FALSE(terminal::ReadYesAnswer(in));
    EXPECT_FALSE(terminal::ReadYesAnswer(in));
    std::fclose(in);
}

}  // namespace
