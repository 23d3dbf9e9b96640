#pragma once
// Reads the state of another process's controls. Every message is sent with
// a time-out, so a program busy inside a command handler makes a read fail
// (false) instead of blocking the driver; callers retry until their own
// deadline. Texts travel as UTF-16 (an ANSI CB_GETLBTEXT sent across
// processes comes back as UTF-16 under Wine) and are returned as UTF-8.

#include <windows.h>

#include <string>

bool ReadText(HWND window, std::string& text);
bool ReadComboCount(HWND combo, int& count);
bool ReadComboEntry(HWND combo, int index, std::string& text);
bool ReadComboSelection(HWND combo, int& index);
bool ReadProgressPosition(HWND progress, int& position);
bool ReadProgressRange(HWND progress, int& low, int& high);

// Style bits, kept by the system: no message, never blocks.
bool IsControlVisible(HWND control);
bool IsControlEnabled(HWND control);
