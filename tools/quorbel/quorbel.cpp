// Stand-in for the input-method client: a top-level window of class "QUORBEL_MAIN_WINDOW" that
// leaves when it receives the registered message IME_EXIT_MSG. Each start appends "started" to
// quorbel.log in its own folder, so a restart can be seen from outside.
//   quorbel.exe            exits on IME_EXIT_MSG
//   quorbel.exe /stubborn  ignores IME_EXIT_MSG (a client that refuses to exit)
//   quorbel.exe /exit      asks the running client to exit, as the updater does, and ends
#include <windows.h>

#include <string>

namespace {

// What the window needs to know, handed over at creation.
struct ClientOptions {
    UINT exitMessage;
    bool stubborn;
};

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
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

void NoteStart() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring log(path, n);
    log = log.substr(0, log.rfind(L'\\') + 1) + L"quorbel.log";
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, "started\r\n", 9, &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    ClientOptions options{RegisterWindowMessageW(L"IME_EXIT_MSG"),
                          commandLine && wcsstr(commandLine, L"/stubborn") != nullptr};
    if (commandLine && wcsstr(commandLine, L"/exit")) {
        HWND running = FindWindowW(L"QUORBEL_MAIN_WINDOW", nullptr);
        return running && PostMessageW(running, options.exitMessage, 0, 0) ? 0 : 1;
    }
    NoteStart();
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QUORBEL_MAIN_WINDOW";
    if (!RegisterClassW(&wc)) return 1;
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"quorbel", WS_POPUP, 0, 0, 1, 1,
                               nullptr, nullptr, instance, &options);
    if (!wnd) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
