#pragma once
// The visible top-level windows of the session (all processes of the Wine
// prefix), found by their exact caption.

#include <windows.h>

#include <string>
#include <vector>

struct TopLevelWindow {
    HWND hwnd = nullptr;
    std::string caption;    // UTF-8
    std::string className;  // UTF-8
};

std::vector<TopLevelWindow> VisibleTopLevelWindows();
// Every visible top-level window whose caption is exactly `caption`.
std::vector<HWND> WindowsWithCaption(const std::string& caption);
// One line naming every visible top-level window, for failure messages.
std::string DescribeVisibleWindows();
