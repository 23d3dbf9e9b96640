#pragma once
// The ktxcombine command line:
//   ktxcombine TEMPLATE IMAGE --revision TAG --mask N -o OUTPUT
//   ktxcombine --info FILE
//   ktxcombine --help
//   ktxcombine --version
// Exit status: 0 success, 1 refused (bad input, unreadable or unwritable
// file), 2 malformed command line.

#include <string>
#include <vector>

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

// Runs the tool on `args` (without the program name); results are added to
// `out`, problems, one line each, to `err`. Returns the exit status.
int RunCombineTool(const std::vector<std::string>& args, std::string& out, std::string& err);

// Reads a mask written in decimal ("15") or hexadecimal with 0x/0X ("0x0F"),
// nothing else around it. False, with `problem` set, for junk or a value
// above 0xFF.
bool ParseMask(const std::string& text, unsigned& mask, std::string& problem);
