// ktxcombine: writes a firmware header and image into the package area of a
// template program (see command_line.h for the command line).

#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, err;
    const int status = RunCombineTool(args, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
