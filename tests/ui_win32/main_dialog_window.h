#pragma once
// Template 102 of this program created as a hidden modeless dialog, so that
// tests can look at its controls and drive them without showing anything.

#include <windows.h>

#include <string>

class HiddenMainDialog {
public:
    HiddenMainDialog();
    ~HiddenMainDialog();
    HiddenMainDialog(const HiddenMainDialog&) = delete;
    HiddenMainDialog& operator=(const HiddenMainDialog&) = delete;

    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }

private:
    HWND window_ = nullptr;
};

// Text of a window, class of a window, and one combo box entry.
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
std::string ComboEntry(HWND combo, int index);
