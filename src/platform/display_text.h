#pragma once
// Shows bytes that came from outside (a package header, a command-line
// argument, a device's answer) to a person: printable ASCII as is, the
// backslash, the double quote and anything else as \xNN, so such text can
// neither garble a terminal nor blur where a quoted text ends.
//
// A file name the user typed is shown as typed instead: only control
// characters (below 0x20, and 0x7F) are escaped, so that `C:\fw\P13.BIN`,
// `/tmp/a b.bin` and names in UTF-8 or a code page read as the user wrote
// them, while a newline or terminal escape in a name still cannot act.

#include <cstddef>

#include "platform/fixed_text.h"

// Longest form one byte takes ("\xNN").
constexpr std::size_t kDisplayBytesPerByte = 4;

// Appends the shown form of `length` bytes to `out` (cut at its capacity,
// which `out` then reports as truncated).
void AppendDisplayText(TextBuffer& out, const char* bytes, std::size_t length);
void AppendDisplayText(TextBuffer& out, const char* text);

// Appends a file name as typed.
void AppendDisplayPath(TextBuffer& out, const char* bytes, std::size_t length);
void AppendDisplayPath(TextBuffer& out, const char* path);
