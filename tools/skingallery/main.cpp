#include <windows.h>

#include <string>

#include "common/util/ntimage.h"
#include "tools/skingallery/gallerywindow.h"

// skingallery.exe [/shot <picture.png>]: shows the skin gallery from the "skin" folder next
// to the program; with /shot it saves a picture of itself and exits.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    std::wstring shot;
    if (__argc >= 3 && std::wstring(__wargv[1]) == L"/shot") shot = __wargv[2];
    wchar_t path[MAX_PATH];
    DWORD len = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return 2;
    std::wstring folder(path, len);
    folder.resize(folder.find_last_of(L'\\') + 1);

    if (!NTInitializeGdiplus()) return 2;
    CPaintManagerUI::SetInstance(instance);
    CPaintManagerUI::SetResourcePath((folder + L"skin").c_str());
    auto* window = new CGalleryWindow(shot);
    if (!window->Create(nullptr, L"Skin gallery", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0,
                        0, 0)) {
        // A failed creation has already deleted the window (OnFinalMessage).
        ::MessageBoxW(nullptr, L"The gallery skin could not be loaded.", L"Skin gallery",
                      MB_ICONERROR);
        return 1;
    }
    window->CenterWindow();
    window->ShowWindow(true, true);
    MSG msg = {};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
