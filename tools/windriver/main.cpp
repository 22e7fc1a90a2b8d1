// windriver <command> <window class> [arguments]: acts on the first visible top-level window
// of that class as a user would, for demonstrations that walk real windows under Xvfb.
//   wait   <class> [seconds]     until the window exists (default 20 s)
//   gone   <class> [seconds]     until no such window is left
//   click  <class> <x> <y>       left click at a client point
//   type   <class> <text>        types the text into the window's focused field
//   key    <class> <name> [n]    presses enter, tab, escape or back, n times
//   dialog <class> <path>        answers the open-file dialog that window opened with path
//   shot   <class> <file.png>    saves a picture of the window with a margin around it
// Exits 0 when done, 1 when the window (or dialog) did not turn up, 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "common/util/ntimage.h"

namespace {

// Ground around the window in the saved picture.
constexpr int kShotMargin = 16;

struct Search {
    const wchar_t* className;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam) {
    auto* s = reinterpret_cast<Search*>(lParam);
    wchar_t name[128] = {};
    GetClassNameW(hWnd, name, 128);
    if (!IsWindowVisible(hWnd) || wcscmp(name, s->className) != 0) return TRUE;
    if (s->owner && GetWindow(hWnd, GW_OWNER) != s->owner) return TRUE;
    s->found = hWnd;
    return FALSE;
}

HWND Find(const wchar_t* className, HWND owner = nullptr) {
    Search s{className, owner, nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitFor(const wchar_t* className, DWORD ms, HWND owner = nullptr) {
    for (DWORD start = GetTickCount();; Sleep(100)) {
        if (HWND hWnd = Find(className, owner)) return hWnd;
        if (GetTickCount() - start > ms) return nullptr;
    }
}

void Front(HWND hWnd) {
    SetForegroundWindow(hWnd);
    Sleep(150);
}

void Send(INPUT input) { SendInput(1, &input, sizeof(input)); }

void Click(HWND hWnd, int x, int y) {
    POINT pt{x, y};
    ClientToScreen(hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = pt.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = pt.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(input);
    Sleep(120);
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    Send(input);
    Sleep(60);
    input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send(input);
    Sleep(200);
}

void Key(WORD vk, wchar_t unit) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = unit;
    input.ki.dwFlags = unit ? KEYEVENTF_UNICODE : 0;
    Send(input);
    input.ki.dwFlags |= KEYEVENTF_KEYUP;
    Send(input);
    Sleep(30);
}

bool Shot(HWND hWnd, const wchar_t* file) {
    RECT rc;
    GetWindowRect(hWnd, &rc);
    InflateRect(&rc, kShotMargin, kShotMargin);
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    SelectObject(memory, old);
    bool saved = false;
    {
        Gdiplus::Bitmap picture(bitmap, nullptr);
        saved = NTSaveImageToFile(&picture, file, L"png", 100) != 0;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

WORD KeyCode(const std::wstring& name) {
    if (name == L"enter") return VK_RETURN;
    if (name == L"tab") return VK_TAB;
    if (name == L"escape") return VK_ESCAPE;
    if (name == L"back") return VK_BACK;
    return 0;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    std::wstring command = argv[1];
    const wchar_t* className = argv[2];
    DWORD seconds = argc > 3 && (command == L"wait" || command == L"gone") ? _wtoi(argv[3]) : 20;
    if (command == L"gone") {
        for (DWORD start = GetTickCount(); Find(className); Sleep(100)) {
            if (GetTickCount() - start > seconds * 1000) return 1;
        }
        return 0;
    }
    HWND hWnd = WaitFor(className, seconds * 1000);
    if (!hWnd) {
        std::fwprintf(stderr, L"windriver: no window of class %ls\n", className);
        return 1;
    }
    if (command == L"wait") return 0;
    if (command == L"click" && argc == 5) {
        Front(hWnd);
        Click(hWnd, _wtoi(argv[3]), _wtoi(argv[4]));
        return 0;
    }
    if (command == L"type" && argc == 4) {
        Front(hWnd);
        for (const wchar_t* c = argv[3]; *c; ++c) Key(0, *c);
        return 0;
    }
    if (command == L"key" && argc >= 4 && KeyCode(argv[3])) {
        Front(hWnd);
        for (int n = argc > 4 ? _wtoi(argv[4]) : 1; n > 0; --n) Key(KeyCode(argv[3]), 0);
        return 0;
    }
    if (command == L"dialog" && argc == 4) {
        HWND dialog = WaitFor(L"#32770", 20000, hWnd);
        if (!dialog) return 1;
        Sleep(400);
        // The name box: a combo box in the Explorer-style dialog, an edit in the old one.
        HWND name = GetDlgItem(dialog, 0x47C);
        if (!name) name = GetDlgItem(dialog, 0x480);
        SetWindowTextW(name, argv[3]);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return 0;
    }
    if (command == L"shot" && argc == 4) {
        Sleep(300);
        return Shot(hWnd, argv[3]) ? 0 : 1;
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!NTInitializeGdiplus()) return 2;
    int result = Run(argc, argv);
    NTUninitializeGdiplus();
    return result;
}
