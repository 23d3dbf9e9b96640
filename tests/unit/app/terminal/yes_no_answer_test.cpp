// Confirmations default to No: only y or yes goes on.

#include "app/terminal/terminal_face.h"

#include "captured_file.h"

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

TEST(YesNoAnswer, EachLineAnswersOneQuestionAndTheEndOfInputIsNo) {
    CapturedFile input("yes\n\nY\nmaybe\ny");
    std::FILE* in = input.file();
    EXPECT_TRUE(terminal::ReadYesAnswer(in));
    EXPECT_FALSE(terminal::ReadYesAnswer(in));  // Enter
    EXPECT_TRUE(terminal::ReadYesAnswer(in));
    EXPECT_FALSE(terminal::ReadYesAnswer(in));
    EXPECT_TRUE(terminal::ReadYesAnswer(in));   // last line without a line end
    EXPECT_FALSE(terminal::ReadYesAnswer(in));  // end of input
}

TEST(YesNoAnswer, AnOverLongLineIsNoAndDoesNotSpillIntoTheNextAnswer) {
    // "yes" at the very end of a long line must not be taken for the next answer.
    CapturedFile input(std::string(terminal::kAnswerLineCapacity * 3, ' ') + "yes\nno\n");
    std::FILE* in = input.file();
    EXPECT_FALSE(terminal::ReadYesAnswer(in));
    EXPECT_FALSE(terminal::ReadYesAnswer(in));
    EXPECT_FALSE(terminal::ReadYesAnswer(in));
}

}  // namespace
