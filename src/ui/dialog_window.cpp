#include "ui/dialog_window.h"

#include <cstring>

namespace {

bool EndsInTwoNuls(const TextBuffer& list) {
    const std::size_t size = list.size();
    return size >= 2 && list.c_str()[size - 1] == '\0' && list.c_str()[size - 2] == '\0';
}

}  // namespace

void FilterListFromText(const char* filterText, TextBuffer& list) {
    list.Clear();
    // Two places are kept for the closing NULs.
    for (const char* c = filterText; *c != '\0' && list.size() + 3 < list.capacity(); ++c)
        list.Append(*c == '|' ? '\0' : *c);
    while (!EndsInTwoNuls(list)) list.Append('\0');
}

const char* FileNameExtension(const char* path) {
    const char* dot = nullptr;
    for (const char* c = path; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/' || *c == ':') {
            dot = nullptr;  // a dot before the file name does not count
        } else if (*c == '.') {
            dot = c;
        }
    }
    return dot != nullptr ? dot + 1 : path + std::strlen(path);
}
