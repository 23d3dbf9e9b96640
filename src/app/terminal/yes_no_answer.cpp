#include "app/terminal/yes_no_answer.h"

#include <cstring>

#include "platform/ascii_case.h"

namespace terminal {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsBlankLine(const char* line) {
    for (; *line != '\0'; ++line)
        if (!IsBlank(*line)) return false;
    return true;
}

}  // namespace

bool IsYesAnswer(const char* line) {
    std::size_t begin = 0;
    std::size_t end = std::strlen(line);
    while (begin < end && IsBlank(line[begin])) ++begin;
    while (end > begin && IsBlank(line[end - 1])) --end;
    const std::size_t length = end - begin;
    if (length != 1 && length != 3) return false;
    const char* yes = "YES";
    for (std::size_t i = 0; i < length; ++i)
        if (AsciiUpper(line[begin + i]) != yes[i]) return false;
    return true;
}

bool ReadYesAnswer(std::FILE* in, bool yesWhenEmpty) {
    char line[kAnswerLineCapacity];
    if (std::fgets(line, sizeof line, in) == nullptr) return false;
    const std::size_t length = std::strlen(line);
    const bool whole = (length > 0 && line[length - 1] == '\n') || std::feof(in);  // the last line may lack its end
    if (whole) return yesWhenEmpty && IsBlankLine(line) ? true : IsYesAnswer(line);
    // Longer than any answer: skip the rest of it.
    for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in)) {
    }
    return false;
}

}  // namespace terminal
