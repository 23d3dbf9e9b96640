#pragma once
// Reads an extended dialog template (DLGTEMPLATEEX and its items) as stored
// in a program's resources, so that tests can compare it field by field.
// Ordinals (class or menu given by number) read as "#<number>".

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DialogItem {
    std::uint32_t id;
    std::string windowClass;
    std::string title;
    int x, y, cx, cy;
    std::uint32_t style;
    std::uint32_t exStyle = 0;
    std::uint32_t helpId = 0;
    int extraCount = 0;
};

struct DialogTemplate {
    std::uint32_t helpId = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;
    std::string windowClass;
    std::string title;
    int pointSize = 0;
    int weight = 0;
    int italic = 0;
    int charset = 0;
    std::string typeface;
    std::vector<DialogItem> items;
};

// False, with a reason, when the bytes are not a complete extended template.
bool ReadDialogTemplateEx(const std::uint8_t* bytes, std::size_t size, DialogTemplate& dialog, std::string& error);

// ASCII upper case, for class names, which Windows compares without case.
std::string CharUpperString(std::string text);
