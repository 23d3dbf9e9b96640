#pragma once
// The combine tool's std::string forms of the shared display rules
// (platform/display_text.h): DisplayText for bytes from outside (printable
// ASCII as is, anything else as \xNN), DisplayPath for a file name the user
// typed (only control characters escaped).

#include <cstddef>
#include <string>

std::string DisplayText(const char* bytes, std::size_t length);
std::string DisplayText(const std::string& text);
std::string DisplayPath(const std::string& path);
