#pragma once

#include <string>

#include "common/skin/uilib.h"

// The skin gallery: every control of the framework in every state, with the notifications it
// raises shown in the window. Right click opens the pop-up menu.
class CGalleryWindow : public WindowImplBase {
public:
    static constexpr UINT kMenuMessage = WM_USER + 100;

    // shotPath: when not empty, the window shows the hover and pressed looks, opens its menu,
    // saves a picture of itself there and quits (exit code 0 when the picture was written).
    explicit CGalleryWindow(std::wstring shotPath) : m_shotPath(std::move(shotPath)) {}

    void Notify(TNotifyUI& msg) override;

protected:
    const wchar_t* GetWindowClassName() const override { return L"NTSkinGallery"; }
    std::wstring GetSkinFolder() override { return std::wstring(); }
    std::wstring GetSkinFile() override { return L"gallery.xml"; }
    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void ShowEvent(const std::wstring& text);
    void OpenMenu(POINT screenPoint);
    void ShowStates();
    bool SaveShot();

    std::wstring m_shotPath;
};
