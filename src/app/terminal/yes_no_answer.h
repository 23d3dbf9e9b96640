#pragma once
// The answer to a confirmation on the terminal: only "y" or "yes" goes on,
// in any mix of case, with blanks around it and the line end (\n or \r\n)
// ignored. An empty line (Enter) takes the question's default; anything
// else, an over-long line and the end of input all mean No.

#include <cstdio>

namespace terminal {

// Longest answer line read; a longer one is No.
constexpr int kAnswerLineCapacity = 64;

// True when `line` (NUL-terminated, line end included or not) says yes.
bool IsYesAnswer(const char* line);

// Reads one line from `in` and judges it; an empty line is yes only when
// `yesWhenEmpty`; at the end of input, No. An over-long line is read to its
// end, so the next question starts afresh.
bool ReadYesAnswer(std::FILE* in, bool yesWhenEmpty = false);

}  // namespace terminal
