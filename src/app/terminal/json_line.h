#pragma once
// One JSON object on one line (JSON Lines), built field by field and
// written whole. Strings are escaped so that the line is plain ASCII:
// quotes, backslashes, control characters and every byte above 0x7F as
// \uXXXX (a byte 0xE9 becomes \u00E9: the tool reports bytes, not text of
// any encoding).

#include <cstdint>
#include <cstdio>

#include "platform/fixed_text.h"

namespace terminal {

// Room for one object: an error whose message and path are escaped whole.
using JsonText = FixedText<8192>;

// `bytes` (`length` of them) as a JSON string, quotes included.
void AppendJsonString(TextBuffer& out, const char* bytes, std::size_t length);

class JsonLine {
public:
    // Starts the object with its "type".
    explicit JsonLine(const char* type);
    JsonLine& Text(const char* name, const char* value);
    JsonLine& Text(const char* name, const char* value, std::size_t length);
    JsonLine& Number(const char* name, long value);
    JsonLine& Flag(const char* name, bool value);
    JsonLine& Null(const char* name);
    // Ends the object and writes it, with its line end, to `out`.
    void WriteTo(std::FILE* out);

private:
    void Name(const char* name);
    JsonText text_;
};

}  // namespace terminal
