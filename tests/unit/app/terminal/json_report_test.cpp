// --json's lines: plain ASCII whatever the bytes of a string, one object
// per line.

#include "app/terminal/json_report.h"

#include <gtest/gtest.h>

#include <string>

#include "captured_file.h"

namespace {

std::string Escaped(const std::string& bytes) {
    terminal::JsonText text;
    terminal::AppendJsonString(text, bytes.data(), bytes.size());
    return text.c_str();
}

TEST(JsonLine, StringsEscapeQuotesBackslashesControlCharactersAndHighBytes) {
    const struct {
        std::string bytes;
        const char* json;
    } cases[] = {
        {"plain /dev/sg0", "\"plain /dev/sg0\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"tab\there\r\n", "\"tab\\u0009here\\u000D\\u000A\""},
        {std::string("nul\0end", 7), "\"nul\\u0000end\""},
        {"\x1b[2J\x7f", "\"\\u001B[2J\\u007F\""},
        {"caf\xc3\xa9", "\"caf\\u00C3\\u00A9\""},
    };
    for (const auto& c : cases) EXPECT_EQ(Escaped(c.bytes), c.json);
}

TEST(JsonLine, OneObjectPerLineWithItsTypeFirst) {
    CapturedFile out;
    terminal::JsonLine("drive").Text("name", "E:").Number("n", -3).Flag("ok", true).Null("dvdRomOnly").WriteTo(
        out.file());
    terminal::JsonLine("outcome").Number("exit", 0).WriteTo(out.file());
    EXPECT_EQ(out.Text(),
              "{\"type\":\"drive\",\"name\":\"E:\",\"n\":-3,\"ok\":true,\"dvdRomOnly\":null}\n"
              "{\"type\":\"outcome\",\"exit\":0}\n");
}

}  // namespace
