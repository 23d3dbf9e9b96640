#include "app/terminal/flash_conventions.h"

#include <cstring>

#include "platform/display_text.h"

namespace terminal {
namespace {

// Characters that every shell and cmd.exe take literally in a word.
bool IsPlainWordCharacter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("-_./:@+=,%\\", c) != nullptr || c >= 0x80;
}

bool IsPlainWord(const char* word) {
    if (word[0] == '\0') return false;
    for (const char* p = word; *p != '\0'; ++p)
        if (!IsPlainWordCharacter(static_cast<unsigned char>(*p))) return false;
    return true;
}

}  // namespace

void AppendCommandWord(const FlashConventions& conventions, const char* word, TextBuffer& out) {
    // The backslash is a plain character to cmd.exe, not to a POSIX shell.
    const bool plain = IsPlainWord(word) && (!conventions.posixQuoting || std::strchr(word, '\\') == nullptr);
    if (plain) {
        AppendDisplayPath(out, word);
        return;
    }
    if (!conventions.posixQuoting) {
        // A Windows file name holds no double quote.
        out.Append('"');
        AppendDisplayPath(out, word);
        out.Append('"');
        return;
    }
    out.Append('\'');
    for (const char* p = word; *p != '\0'; ++p) {
        if (*p == '\'')
            out.Append("'\\''");
        else
            AppendDisplayPath(out, p, 1);
    }
    out.Append('\'');
}

void AppendAbsolutePath(const FlashConventions& conventions, const char* currentDirectory, const char* path,
                        TextBuffer& out) {
    const char separator = conventions.pathSeparator;
    const bool rooted = path[0] == '/' || path[0] == separator;
    // "C:\..." on Windows; "\..." is rooted on the current directory's drive.
    const bool withDrive = separator == '\\' && path[0] != '\0' && path[1] == ':';
    if (withDrive || (rooted && separator == '/')) {
        out.Append(path);
        return;
    }
    if (rooted) {
        if (currentDirectory[0] != '\0' && currentDirectory[1] == ':') out.Append(currentDirectory, 2);
        out.Append(path);
        return;
    }
    out.Append(currentDirectory);
    const std::size_t length = std::strlen(currentDirectory);
    if (length == 0 || (currentDirectory[length - 1] != separator && currentDirectory[length - 1] != '/'))
        out.Append(separator);
    // "./name" reads as "name" once the directory is in front.
    if (path[0] == '.' && (path[1] == '/' || path[1] == separator)) path += 2;
    out.Append(path);
}

}  // namespace terminal
