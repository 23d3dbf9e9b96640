#include "script_line.h"


namespace {

bool Unescape(char c, char& out) {
    switch (c) {
        case 'n': out = '\n'; return true;
        case 'r': out = '\r'; return true;
        case 't': out = '\t'; return true;
        case '"': out = '"'; return true;
        case '\\': out = '\\'; return true;
        default: return false;
    }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool SplitScriptLine(const std::string& text, std::vector<std::string>& words, std::string& error) {
    words.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] == '#') break;
        std::string word;
        if (text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < text.size()) {
                const char c = text[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    word += c;
                    continue;
                }
                char escaped = 0;
                if (i >= text.size() || !Unescape(text[i], escaped)) {
                    error = i < text.size() ? std::string("unknown escape \\") + text[i] : "escape at end of line";
                    return false;
                }
                word += escaped;
                ++i;
            }
            if (!closed) {
                error = "unterminated quoted text";
                return false;
            }
            if (i < text.size() && !IsBlank(text[i])) {
                error = "text right after a closing quote";
                return false;
            }
        } else {
            while (i < text.size() && !IsBlank(text[i])) word += text[i++];
        }
        words.push_back(word);
    }
    return true;
}
