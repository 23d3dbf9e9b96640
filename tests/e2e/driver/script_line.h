#pragma once
// One line of a driver script split into words. Words are separated by
// blanks; a word in double quotes may hold blanks and the escapes \n, \r,
// \t, \" and \\. A '#' outside quotes starts a comment. Portable.

#include <string>
#include <vector>

struct ScriptLine {
    int number = 0;                  // 1-based line number in the script
    std::vector<std::string> words;  // command first; empty for a blank line
};

// Splits `text`. Returns false, with `error` set, for an unterminated quote
// or an unknown escape.
bool SplitScriptLine(const std::string& text, std::vector<std::string>& words, std::string& error);
