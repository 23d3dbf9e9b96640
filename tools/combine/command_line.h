#pragma once
// The ktxcombine command line:
//   ktxcombine TEMPLATE IMAGE --revision TAG --mask N
//              (--sha256 HEX | --sum HEX | --unchecked-image) -o OUTPUT [--force]
//   ktxcombine --info FILE
//   ktxcombine --help
//   ktxcombine --version
// Exit status: 0 success, 1 refused (bad input, unreadable or unwritable
// file), 2 malformed command line.

#include <string>
#include <vector>

#include "published_check.h"

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

// Read the maker's published check of an image: a SHA-256 as 64 hex digits,
// a byte sum as 1 to 4 hex digits (an optional 0x before them). False, with
// `problem` set, for anything else; `check` is set only on success.
bool ParseSha256(const std::string& text, PublishedCheck& check, std::string& problem);
bool ParseSum(const std::string& text, PublishedCheck& check, std::string& problem);
