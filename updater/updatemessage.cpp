#include "updater/updatestate.h"

int ShowUpdateMessage(HWND owner, const std::wstring& text, UINT buttons) {
    wchar_t title[128] = {};
    LoadStringW(GetModuleHandleW(nullptr), 57344, title, 128);
    return MessageBoxW(owner, text.c_str(), title, buttons | MB_SYSTEMMODAL);
}
