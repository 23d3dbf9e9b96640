#include "desktop_windows.h"


#include "wide_text.h"


namespace {

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM context) {
    auto& windows = *reinterpret_cast<std::vector<TopLevelWindow>*>(context);
    if (!::IsWindowVisible(hwnd)) return TRUE;
    wchar_t caption[512] = {};
    wchar_t className[256] = {};
    // For a top-level window the caption is kept by the system, so this
    // does not wait on the window's thread, busy or not.
    ::GetWindowTextW(hwnd, caption, 512);
    ::GetClassNameW(hwnd, className, 256);
    windows.push_back({hwnd, Utf8FromWide(caption), Utf8FromWide(className)});
    return TRUE;
}

}  // namespace

std::vector<TopLevelWindow> VisibleTopLevelWindows() {
    std::vector<TopLevelWindow> windows;
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> WindowsWithCaption(const std::string& caption) {
    std::vector<HWND> found;
    for (const TopLevelWindow& window : VisibleTopLevelWindows())
        if (window.caption == caption) found.push_back(window.hwnd);
    return found;
}

std::string DescribeVisibleWindows() {
    std::string text;
    for (const TopLevelWindow& window : VisibleTopLevelWindows()) {
        if (window.caption.empty()) continue;  // the desktop and other helpers
        if (!text.empty()) text += ", ";
        text += Quoted(window.caption) + " (" + window.className + ")";
    }
    return text.empty() ? "none" : text;
}
