// The end-to-end test driver: runs one script (a file, one command per
// line) against the program under test, which runs in the same Wine prefix.
// Exit code 0 when every step passed, 1 on the first failure, 2 when the
// script cannot be read. See script_runner.cpp for the commands.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "script_line.h"

#include "script_runner.h"


int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: e2e_driver SCRIPT\n");
        return 2;
    }
    const std::string path = argv[1];
    std::ifstream in(path);
    if (!in) {
        std::printf("driver: cannot read the script %s\n", path.c_str());
        return 2;
    }
    std::vector<ScriptLine> script;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ScriptLine line;
        line.number = ++number;
        std::string error;
        if (!SplitScriptLine(text, line.words, error)) {
            std::printf("driver: %s:%d: %s\n", path.c_str(), number, error.c_str());
            return 2;
        }
        script.push_back(line);
    }
    ScriptRunner runner;
    return runner.Run(script) ? 0 : 1;
}
