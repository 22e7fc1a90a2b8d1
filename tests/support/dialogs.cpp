#include "support/dialogs.h"

namespace {

// The file name box: cmb13 in the explorer layout, edt1 in the old one.
constexpr int kNameCombo = 0x47C;
constexpr int kNameEdit = 0x480;

HWND NameBox(HWND dialog) {
    HWND box = ::GetDlgItem(dialog, kNameCombo);
    return box ? box : ::GetDlgItem(dialog, kNameEdit);
}

void PressButton(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

BOOL CALLBACK CollectText(HWND child, LPARAM text) {
    wchar_t cls[16] = {};
    ::GetClassNameW(child, cls, 16);
    if (std::wstring(cls) == L"Static") {
        wchar_t buffer[512] = {};
        ::GetWindowTextW(child, buffer, 512);
        *reinterpret_cast<std::wstring*>(text) += buffer;
    }
    return TRUE;
}

}  // namespace

bool IsFileDialog(HWND dialog) { return NameBox(dialog) != nullptr; }

bool AnswerFileDialog(HWND dialog, const std::wstring& name) {
    HWND box = NameBox(dialog);
    if (!box) return false;
    if (name.empty()) {
        PressButton(dialog, IDCANCEL);
        return true;
    }
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PressButton(dialog, IDOK);
    return true;
}

std::wstring DialogText(HWND dialog) {
    std::wstring text;
    ::EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void AnswerMessageBox(HWND dialog) {
    PressButton(dialog, ::GetDlgItem(dialog, IDYES) ? IDYES : IDOK);
}
