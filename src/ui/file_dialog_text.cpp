#include "file_dialog_text.h"

std::string FilterListFromText(const std::string& filterText) {
    std::string list = filterText;
    for (char& c : list) {
        if (c == '|') c = '\0';
    }
    while (list.size() < 2 || list[list.size() - 1] != '\0' || list[list.size() - 2] != '\0') {
        list.push_back('\0');
    }
    return list;
}

std::string FileNameExtension(const std::string& path) {
    const std::size_t nameStart = path.find_last_of("\\/:");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return std::string();
    if (nameStart != std::string::npos && dot < nameStart) return std::string();
    return path.substr(dot + 1);
}
