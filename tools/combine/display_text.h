#pragma once
// The combine tool's std::string form of the shared display rule
// (platform/display_text.h): printable ASCII as is, anything else as \xNN.

#include <cstddef>
#include <string>

std::string DisplayText(const char* bytes, std::size_t length);
std::string DisplayText(const std::string& text);
