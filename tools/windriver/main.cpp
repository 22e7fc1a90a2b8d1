// windriver <command> <window class> [arguments]: acts on the first visible top-level window
// of that class as a user would, for demonstrations that walk real windows under Xvfb.
//   wait   <class> [seconds]     until the window exists (default 20 s)
//   gone   <class> [seconds]     until no such window is left
//   click  <class> <x> <y>       left click at a client point
//   type   <class> <text>        types the text into the window's focused field
//   key    <class> <name> [n]    presses enter, tab, escape or back, n times
//   dialog <class> <path> [seconds]  answers the open-file dialog that window opened with path
//                                and waits until the dialog has closed
//   steady <class> [seconds]     until the window's picture has stayed the same for a moment
//   shot   <class> <file.png>    saves a picture of the window with a margin around it
// Exits 0 when done, 1 when the window (or dialog) did not turn up or did not do what was
// waited for in time, 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "common/util/ntimage.h"
#include "support/dialogs.h"
#include "support/messagepump.h"
#include "support/realinput.h"
#include "support/screenbitmap.h"
#include "support/windowsearch.h"

namespace {

// Ground around the window in the saved picture.
constexpr int kShotMargin = 16;
// How long the window may take to come to the front, to take input or to set up its dialog: a
// limit for a hung window, met at once by a healthy one, so it allows for a loaded or emulated
// machine.
constexpr DWORD kAnswerLimitMs = 60000;

// How long the picture must stay the same to count as steady.
constexpr DWORD kSteadyMs = 300;

bool WaitUntilSteady(HWND hWnd, DWORD limitMs) {
    std::vector<DWORD> last;
    DWORD lastChange = GetTickCount();
    return PumpMessagesUntil(
        [&] {
            RECT rc;
            GetWindowRect(hWnd, &rc);
            ScreenBitmap grab(rc);
            std::vector<DWORD> now = BitmapPixels(grab.Get());
            if (now != last) {
                last.swap(now);
                lastChange = GetTickCount();
                return false;
            }
            return GetTickCount() - lastChange >= kSteadyMs;
        },
        limitMs);
}

void Front(HWND hWnd) {
    SetForegroundWindow(hWnd);
    PumpMessagesUntil([hWnd] { return GetForegroundWindow() == hWnd; }, kAnswerLimitMs);
    WindowThreadCaughtUp(hWnd, kAnswerLimitMs);
}

bool Shot(HWND hWnd, const wchar_t* file) {
    RECT rc;
    GetWindowRect(hWnd, &rc);
    InflateRect(&rc, kShotMargin, kShotMargin);
    ScreenBitmap grab(rc);
    Gdiplus::Bitmap picture(grab.Get(), nullptr);
    return NTSaveImageToFile(&picture, file, L"png", 100) != 0;
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
    const bool timed = command == L"wait" || command == L"gone" || command == L"steady";
    DWORD seconds = argc > 3 && timed ? _wtoi(argv[3]) : 20;
    if (command == L"dialog" && argc > 4) seconds = _wtoi(argv[4]);
    if (command == L"gone") {
        return PumpMessagesUntil([className] { return !FindVisibleWindow(className); },
                                 seconds * 1000)
                   ? 0
                   : 1;
    }
    HWND hWnd = WaitForWindow(className, seconds * 1000);
    if (!hWnd) {
        std::fwprintf(stderr,
                      L"windriver %ls: gave up after %lu s waiting for a window of class %ls\n",
                      command.c_str(), seconds, className);
        return 1;
    }
    if (command == L"wait") return 0;
    if (command == L"click" && argc == 5) {
        Front(hWnd);
        POINT at{_wtoi(argv[3]), _wtoi(argv[4])};
        ClientToScreen(hWnd, &at);
        Click(at);
    } else if (command == L"type" && argc == 4) {
        Front(hWnd);
        TypeText(argv[3]);
    } else if (command == L"key" && argc >= 4 && KeyCode(argv[3])) {
        Front(hWnd);
        for (int n = argc > 4 ? _wtoi(argv[4]) : 1; n > 0; --n) PressKey(KeyCode(argv[3]));
    } else if (command == L"dialog" && (argc == 4 || argc == 5)) {
        HWND dialog = WaitForWindow(L"#32770", seconds * 1000, 0, hWnd);
        if (!dialog || !WindowThreadCaughtUp(dialog, kAnswerLimitMs) ||
            !AnswerFileDialog(dialog, argv[3]))
            return 1;
        return PumpMessagesUntil([dialog] { return !IsWindow(dialog); }, kAnswerLimitMs) ? 0 : 1;
    } else if (command == L"steady") {
        return WaitUntilSteady(hWnd, seconds * 1000) ? 0 : 1;
    } else if (command == L"shot" && argc == 4) {
        return WindowThreadCaughtUp(hWnd, kAnswerLimitMs) && Shot(hWnd, argv[3]) ? 0 : 1;
    } else {
        return 2;
    }
    // The window has taken the input (or closed on it) before the next command comes.
    return WindowThreadCaughtUp(hWnd, kAnswerLimitMs) || !IsWindow(hWnd) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!NTInitializeGdiplus()) return 2;
    int result = Run(argc, argv);
    NTUninitializeGdiplus();
    return result;
}
