// ktxcombine: writes a firmware header and image into the package area of a
// template program (see command_line.h for the command line).

#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunCombineTool(args, std::cout, std::cerr);
}
