#include "main_dialog_window.h"


#include <commctrl.h>

#include <vector>

namespace {

INT_PTR CALLBACK PassiveDialogProcedure(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

HiddenMainDialog::HiddenMainDialog() {
    InitCommonControls();
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(102), RT_DIALOG);
    if (found == nullptr) return;
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
    std::vector<BYTE> copy(bytes, bytes + SizeofResource(self, found));
    // The extended template's style field follows version, signature, help
    // id and extended style: clear its visible bit.
    DWORD style;
    CopyMemory(&style, copy.data() + 12, sizeof style);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    CopyMemory(copy.data() + 12, &style, sizeof style);
    window_ = CreateDialogIndirectParamA(self, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), nullptr,
                                         PassiveDialogProcedure, 0);
}

HiddenMainDialog::~HiddenMainDialog() {
    if (window_ != nullptr) DestroyWindow(window_);
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string ComboEntry(HWND combo, int index) {
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return "<none>";
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}
