// The scripted capture of the demonstration, played like a user through the stand-in client:
//   capturedemo.exe <program folder> <output folder>
// Shows a sample page, starts "quorbel.exe /capture <output>\clipboard.bmp" from the program
// folder, selects part of the page, draws every shape and a mosaic (and a text when the text
// tool is there), saves a picture of the overlay with the toolbar and option bar as
// <output>\overlay.png, completes, and waits for the client to end.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "capture/window/skinprobe.h"
#include "common/util/ntimage.h"
#include "support/messagepump.h"
#include "support/realinput.h"
#include "support/screenbitmap.h"
#include "support/windowsearch.h"

namespace {

// A page worth capturing: a gradient with bands and a few shapes.
LRESULT CALLBACK PageProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hWnd, &ps);
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    {
        Gdiplus::Graphics g(dc);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        Gdiplus::LinearGradientBrush sky(Gdiplus::Point(0, 0), Gdiplus::Point(0, rc.bottom),
                                         Gdiplus::Color(0xFF8EC5FC), Gdiplus::Color(0xFFE0C3FC));
        g.FillRectangle(&sky, 0, 0, rc.right, rc.bottom);
        Gdiplus::SolidBrush sun(Gdiplus::Color(0xFFFFC94A));
        g.FillEllipse(&sun, 60, 50, 120, 120);
        Gdiplus::SolidBrush hill(Gdiplus::Color(0xFF3E8E5E));
        g.FillEllipse(&hill, -100, 300, 500, 300);
        Gdiplus::SolidBrush hill2(Gdiplus::Color(0xFF2F6F8F));
        g.FillEllipse(&hill2, 250, 330, 500, 300);
        Gdiplus::FontFamily family(L"Microsoft YaHei");
        Gdiplus::Font font(&family, 26, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
        Gdiplus::SolidBrush ink(Gdiplus::Color(0xFF22304A));
        g.DrawString(L"班级相册 · 春游 2026", -1, &font, Gdiplus::PointF(220, 80), &ink);
    }
    ::EndPaint(hWnd, &ps);
    return 0;
}

HWND ShowPage(const RECT& rc) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CaptureDemoPage";
    ::RegisterClassW(&wc);
    HWND page = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"page", WS_POPUP, rc.left,
                                  rc.top, rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    ::ShowWindow(page, SW_SHOWNORMAL);
    ::UpdateWindow(page);
    Settle();
    return page;
}

// Saves what the screen shows as a PNG.
bool SaveScreen(const std::wstring& path) {
    ScreenBitmap grab(RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
    Gdiplus::Bitmap picture(grab.Get(), nullptr);
    return NTSaveImageToFile(&picture, path.c_str(), L"png", 100) != 0;
}

class Script {
public:
    Script(HWND toolbar, HWND options) : m_toolbar(toolbar), m_options(options) {}
    bool Button(const wchar_t* name) { return ClickIn(m_toolbar, L"screentoolbar.xml", name); }
    bool Option(const wchar_t* name) { return ClickIn(m_options, L"optiontoolbar.xml", name); }
    void Stroke(POINT from, POINT to, int steps) {
        MoveMouse(from);
        MouseButton(true);
        for (int i = 1; i <= steps; ++i)
            MoveMouse(
                POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        MouseButton(false);
    }

private:
    bool ClickIn(HWND bar, const wchar_t* skin, const wchar_t* name) {
        POINT at = SkinProbe::ControlCenter(bar, skin, name);
        std::wprintf(L"  click %ls at %ld,%ld\n", name, at.x, at.y);
        if (at.x < 0) return false;
        Click(at);
        return true;
    }
    HWND m_toolbar;
    HWND m_options;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: capturedemo <program folder> <output folder>\n");
        return 2;
    }
    std::wstring program = argv[1], out = argv[2];
    if (program.back() != L'\\') program += L'\\';
    if (out.back() != L'\\') out += L'\\';
    NTInitializeGdiplus();
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    CPaintManagerUI::SetResourcePath((program + L"skin").c_str());
    CPaintManagerUI::SetResourceZip(L"glimter.zip");
    MoveMouse(POINT{5, 5});
    HWND page = ShowPage(RECT{150, 100, 950, 700});

    std::wstring command = L"\"" + program + L"quorbel.exe\" /capture " + out + L"clipboard.bmp";
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                          program.c_str(), &si, &pi)) {
        std::fwprintf(stderr, L"cannot start the client\n");
        return 1;
    }
    HWND capture = WaitForWindow(L"CCMCaptureScreenWnd", 10000);
    if (!capture) {
        std::fwprintf(stderr, L"no capture window appeared\n");
        return 1;
    }
    Settle();
    std::wprintf(L"capture window up; selecting 200,130 - 900,650\n");
    Script script(::FindWindowExW(capture, nullptr, L"UICaptureScreenToolbar", nullptr),
                  ::FindWindowExW(capture, nullptr, L"UICaptureScreenBrushBar", nullptr));
    script.Stroke(POINT{200, 130}, POINT{900, 650}, 4);
    Settle();

    std::wprintf(L"rectangle (red, thick):\n");
    script.Button(L"rectangle_btn");
    script.Option(L"btn_brush3");
    script.Option(L"btn_color11");
    script.Stroke(POINT{230, 160}, POINT{420, 280}, 3);
    std::wprintf(L"ellipse (blue):\n");
    script.Button(L"ellipse_btn");
    script.Option(L"btn_brush2");
    script.Option(L"btn_color6");
    script.Stroke(POINT{450, 150}, POINT{640, 260}, 3);
    std::wprintf(L"arrow (orange):\n");
    script.Button(L"arrow_btn");
    script.Option(L"btn_color4");
    script.Stroke(POINT{700, 420}, POINT{520, 300}, 4);
    std::wprintf(L"brush (green):\n");
    script.Button(L"brush_btn");
    script.Option(L"btn_brush3");
    script.Option(L"btn_color5");
    script.Stroke(POINT{240, 600}, POINT{420, 520}, 8);
    std::wprintf(L"mosaic over the title:\n");
    script.Button(L"mosaic_btn");
    script.Option(L"btn_brush2");
    script.Stroke(POINT{380, 190}, POINT{860, 200}, 10);
    std::wprintf(L"text:\n");
    if (script.Button(L"text_btn")) {
        script.Option(L"btn_color3");
        Click(POINT{600, 540});
        TypeText(L"春游合影 — 请家长查收");
        Settle();
    }
    MoveMouse(POINT{880, 640});
    Settle();
    bool shot = SaveScreen(out + L"overlay.png");
    std::wprintf(L"overlay picture %ls\n", shot ? L"saved" : L"NOT saved");
    std::wprintf(L"complete:\n");
    script.Button(L"complete_btn");
    DWORD waited = ::WaitForSingleObject(pi.hProcess, 15000);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ::DestroyWindow(page);
    std::wprintf(L"client %ls\n", waited == WAIT_OBJECT_0 ? L"ended" : L"still running");
    return waited == WAIT_OBJECT_0 && shot ? 0 : 1;
}
