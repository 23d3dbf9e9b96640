#pragma once
// Text conversions for the driver: scripts are UTF-8, Windows talks UTF-16.

#include <string>

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
// The text in double quotes with line breaks, tabs and quotes escaped, as a
// script would write it, so that failure messages show it exactly.
std::string Quoted(const std::string& text);
