#pragma once
// Shows bytes from a package header for a person: printable ASCII as is,
// anything else as \xNN, so a damaged header cannot garble the terminal.

#include <cstddef>
#include <string>

std::string DisplayText(const char* bytes, std::size_t length);
std::string DisplayText(const std::string& text);
