// Stand-in for the input-method client: a top-level window of class "QUORBEL_MAIN_WINDOW" that
// leaves when it receives the registered message IME_EXIT_MSG, and that takes screenshots with
// glimter.dll as the client does. Everything it sees is appended to quorbel.log in its own
// folder ("started", "capture 1" or "capture 0" for each call of the export, "notified" and the
// clipboard picture's size for each notification), so it can be followed from outside.
//   quorbel.exe            exits on IME_EXIT_MSG; Ctrl+Alt+A takes a screenshot
//   quorbel.exe /stubborn  ignores IME_EXIT_MSG (a client that refuses to exit)
//   quorbel.exe /exit      asks the running client to exit, as the updater does, and ends
//   quorbel.exe /capture [picture.bmp]
//                          takes one screenshot at once, keeps the clipboard picture in the
//                          file when one is named, and ends when the capture is over
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The client's import: int CaptureScreenToClipboard(HWND, UINT) as Visual C++ decorates it.
#ifdef _WIN64
const char kCaptureExport[] = "?CaptureScreenToClipboard@@YAHPEAUHWND__@@I@Z";
#else
const char kCaptureExport[] = "?CaptureScreenToClipboard@@YAHPAUHWND__@@I@Z";
#endif
// "YA" in the name: a __cdecl function, as the pointer must be declared.
using CaptureFunction = int(__cdecl*)(HWND, UINT);

const UINT kCaptureDone = WM_APP + 1;
const int kCaptureHotKey = 1;
const UINT_PTR kWatchTimer = 1;

// What the window needs to know, handed over at creation.
struct ClientOptions {
    UINT exitMessage;
    bool stubborn;
    bool oneCapture;
    std::wstring keepPicture;
    CaptureFunction capture;
};

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

void Log(const std::string& line) {
    std::wstring log = ProgramFolder() + L"quorbel.log";
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

// Writes a bitmap as a 24-bit BMP file; false when it cannot.
bool WriteBitmap(HBITMAP bitmap, const std::wstring& path) {
    BITMAP info = {};
    if (!GetObjectW(bitmap, sizeof(info), &info)) return false;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    DWORD stride = (info.bmWidth * 3 + 3) / 4 * 4, size = stride * info.bmHeight;
    std::string pixels(size, '\0');
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(),
                         reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != info.bmHeight) return false;
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + size;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, &fileHeader, sizeof(fileHeader), &written, nullptr) &&
              WriteFile(file, &header, sizeof(header), &written, nullptr) &&
              WriteFile(file, pixels.data(), size, &written, nullptr);
    CloseHandle(file);
    return ok;
}

// The notification: the picture is on the clipboard now.
void OnCaptureDone(HWND hWnd, const ClientOptions& options) {
    std::string line = "notified";
    if (OpenClipboard(hWnd)) {
        if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
            BITMAP info = {};
            GetObjectW(bitmap, sizeof(info), &info);
            line += " " + std::to_string(info.bmWidth) + "x" + std::to_string(info.bmHeight);
            if (!options.keepPicture.empty() && !WriteBitmap(bitmap, options.keepPicture))
                line += " (picture not kept)";
        } else {
            line += " without a picture";
        }
        CloseClipboard();
    }
    Log(line);
}

// glimter.dll from the program folder, as the client loads it; null when it is missing.
CaptureFunction LoadCapture() {
    HMODULE library = LoadLibraryW((ProgramFolder() + L"glimter.dll").c_str());
    if (!library) return nullptr;
    return reinterpret_cast<CaptureFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, kCaptureExport)));
}

void StartCapture(HWND hWnd, ClientOptions& options) {
    // Loaded on first use only, like the client, so a client that never captures never
    // holds the library.
    if (!options.capture) options.capture = LoadCapture();
    int started = options.capture ? options.capture(hWnd, kCaptureDone) : 0;
    Log(options.capture ? "capture " + std::to_string(started) : "capture unavailable");
    if (options.oneCapture) {
        if (started)
            SetTimer(hWnd, kWatchTimer, 200, nullptr);
        else
            DestroyWindow(hWnd);
    }
}

LRESULT CALLBACK MainProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* options = reinterpret_cast<ClientOptions*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (options && msg == options->exitMessage) {
        if (!options->stubborn) DestroyWindow(hWnd);
        return 0;
    }
    switch (msg) {
        case WM_HOTKEY:
            if (options && wParam == kCaptureHotKey) StartCapture(hWnd, *options);
            return 0;
        case kCaptureDone:
            if (options) OnCaptureDone(hWnd, *options);
            return 0;
        case WM_TIMER:
            // One capture: the client ends once the capture window is gone.
            if (wParam == kWatchTimer && !FindWindowW(L"CCMCaptureScreenWnd", nullptr))
                DestroyWindow(hWnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    std::wstring args = commandLine ? commandLine : L"";
    ClientOptions options{RegisterWindowMessageW(L"IME_EXIT_MSG"),
                          args.find(L"/stubborn") != std::wstring::npos,
                          args.find(L"/capture") != std::wstring::npos, std::wstring(), nullptr};
    if (args.find(L"/exit") != std::wstring::npos) {
        HWND running = FindWindowW(L"QUORBEL_MAIN_WINDOW", nullptr);
        return running && PostMessageW(running, options.exitMessage, 0, 0) ? 0 : 1;
    }
    if (options.oneCapture) {
        std::wstring rest = args.substr(args.find(L"/capture") + 8);
        size_t first = rest.find_first_not_of(L" \t\"");
        size_t last = rest.find_last_not_of(L" \t\"");
        if (first != std::wstring::npos) options.keepPicture = rest.substr(first, last - first + 1);
    }
    Log("started");
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QUORBEL_MAIN_WINDOW";
    if (!RegisterClassW(&wc)) return 1;
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"quorbel", WS_POPUP, 0, 0, 1, 1,
                               nullptr, nullptr, instance, &options);
    if (!wnd) return 1;
    RegisterHotKey(wnd, kCaptureHotKey, MOD_CONTROL | MOD_ALT, 'A');
    if (options.oneCapture) StartCapture(wnd, options);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
