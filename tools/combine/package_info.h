#pragma once
// ktxcombine --info: describes the firmware package area of a program file.
// For a combined program: revision tag, the stored sum text and what it
// reads as, the image's computed sum, the mask and the byte sum of each
// 16 KiB block. For a template: that it is an uncombined template.

#include <string>

#include "tool_outcome.h"

ToolOutcome DescribePackageFile(const std::string& path);
