#pragma once
// What one ktxcombine operation produced: on success the text for standard
// output, otherwise one line naming the file and the problem.

#include <string>

struct ToolOutcome {
    bool ok = false;
    std::string output;
    std::string error;

    static ToolOutcome Success(std::string text) { return {true, std::move(text), {}}; }
    static ToolOutcome Failure(std::string line) { return {false, {}, std::move(line)}; }
};
