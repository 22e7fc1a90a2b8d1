#include "capture/bars/barstestwindow.h"

#include <cstdlib>

#include "common/util/ntimage.h"
#include "support/screenbitmap.h"

template <class Bar>
POINT Inspectable<Bar>::ScreenCenter(const wchar_t* name) {
    CControlUI* control = Find(name);
    if (!control) return POINT{-1, -1};
    const RECT& rc = control->GetPos();
    POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ::ClientToScreen(this->GetHWND(), &pt);
    return pt;
}
template class Inspectable<CCMToolbar>;
template class Inspectable<CCMOptionBar>;

LRESULT BarsParentWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMenuMessage) {
        const auto* notify = reinterpret_cast<const TNotifyUI*>(wParam);
        const auto* menu = reinterpret_cast<const CPaintManagerUI*>(lParam);
        if (notify->sType == kNotifyWindowInit && menu)
            for (const wchar_t* name :
                 {L"complete_btn", L"save_btn", L"rectangle_btn", L"ellipse_btn", L"arrow_btn",
                  L"brush_btn", L"mosaic_btn", L"text_btn", L"undo_btn", L"hidetool_btn",
                  L"showtool_btn", L"reselect_btn", L"exit_btn"})
                if (menu->FindControl(name)) menuEntries.emplace_back(name);
        return 0;
    }
    if (msg != WM_PAINT) return CNTWindow::HandleMessage(msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    // Bands of colour, like a desktop with windows, so the bars are judged on a busy picture.
    for (int y = client.top; y < client.bottom; y += 20) {
        for (int x = client.left; x < client.right; x += 40) {
            RECT cell{x, y, x + 40, y + 20};
            HBRUSH brush = ::CreateSolidBrush(RGB(60 + (x * 3) % 160, 90 + (y * 2) % 140, 150));
            ::FillRect(dc, &cell, brush);
            ::DeleteObject(brush);
        }
    }
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

void SaveScreenshot(const RECT& screen, const wchar_t* name) {
    const char* binary = std::getenv("NT_BINARY_DIR");
    if (!binary) return;
    std::wstring path = L"Z:";
    for (const char* c = binary; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    path += std::wstring(L"\\tests\\") + name;
    ScreenBitmap grab(screen);
    Gdiplus::Bitmap picture(grab.Get(), nullptr);
    NTSaveImageToFile(&picture, path.c_str(), L"png", 100);
}
