#include "control_reader.h"


#include <commctrl.h>

#include <vector>

#include "wide_text.h"


namespace {

constexpr UINT kMessageTimeoutMs = 1000;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
    result = 0;
    return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kMessageTimeoutMs,
                                 &result) != 0;
}

}  // namespace

bool ReadText(HWND window, std::string& text) {
    DWORD_PTR length = 0;
    if (!Send(window, WM_GETTEXTLENGTH, 0, 0, length)) return false;
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied)) return false;
    text = Utf8FromWide(std::wstring(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1));
    return true;
}

bool ReadComboCount(HWND combo, int& count) {
    DWORD_PTR result = 0;
    if (!Send(combo, CB_GETCOUNT, 0, 0, result)) return false;
    count = static_cast<int>(static_cast<LRESULT>(result));
    return true;
}

bool ReadComboEntry(HWND combo, int index, std::string& text) {
    DWORD_PTR length = 0;
    if (!Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0, length)) return false;
    if (static_cast<LRESULT>(length) == CB_ERR) return false;
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()), copied))
        return false;
    if (static_cast<LRESULT>(copied) == CB_ERR) return false;
    text = Utf8FromWide(std::wstring(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1));
    return true;
}

bool ReadComboSelection(HWND combo, int& index) {
    DWORD_PTR result = 0;
    if (!Send(combo, CB_GETCURSEL, 0, 0, result)) return false;
    index = static_cast<int>(static_cast<LRESULT>(result));
    return true;
}

bool ReadProgressPosition(HWND progress, int& position) {
    DWORD_PTR result = 0;
    if (!Send(progress, PBM_GETPOS, 0, 0, result)) return false;
    position = static_cast<int>(result);
    return true;
}

bool ReadProgressRange(HWND progress, int& low, int& high) {
    DWORD_PTR result = 0;
    if (!Send(progress, PBM_GETRANGE, TRUE, 0, result)) return false;
    low = static_cast<int>(static_cast<LRESULT>(result));
    if (!Send(progress, PBM_GETRANGE, FALSE, 0, result)) return false;
    high = static_cast<int>(static_cast<LRESULT>(result));
    return true;
}

bool IsControlVisible(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0; }

bool IsControlEnabled(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_DISABLED) == 0; }
