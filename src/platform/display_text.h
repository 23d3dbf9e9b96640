#pragma once
// Shows bytes that came from outside (a package header, a command-line
// argument, a device's answer) to a person: printable ASCII as is, the
// backslash, the double quote and anything else as \xNN, so such text can
// neither garble a terminal nor blur where a quoted text ends.

#include <cstddef>

#include "platform/fixed_text.h"

// Longest form one byte takes ("\xNN").
constexpr std::size_t kDisplayBytesPerByte = 4;

// Appends the shown form of `length` bytes to `out` (cut at its capacity,
// which `out` then reports as truncated).
void AppendDisplayText(TextBuffer& out, const char* bytes, std::size_t length);
void AppendDisplayText(TextBuffer& out, const char* text);
