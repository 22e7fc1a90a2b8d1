#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/skin/uilib.h"
#include "skin/skintestutil.h"

// A skinned window for the tests: records its notifications and the menu reports it gets,
// lets a test react to "windowinit" and to menu reports, and counts its final messages.
class SkinTestWindow : public WindowImplBase {
public:
    static constexpr UINT kMenuMessage = WM_USER + 100;

    explicit SkinTestWindow(std::wstring skinFile) : m_skinFile(std::move(skinFile)) {}

    void Notify(TNotifyUI& msg) override;
    CControlUI* Find(const wchar_t* name) { return m_pm.FindControl(name); }
    // The control's centre in screen coordinates.
    POINT ScreenCenter(const wchar_t* name);

    NotifyLog log;
    std::vector<std::wstring> menuEvents;
    std::function<void(CPaintManagerUI&)> onMenuInit;
    int finalMessages = 0;

protected:
    const wchar_t* GetWindowClassName() const override { return L"NTSkinTestWindow"; }
    std::wstring GetSkinFolder() override { return std::wstring(); }
    std::wstring GetSkinFile() override { return m_skinFile; }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    std::wstring m_skinFile;
};

// Runs the message loop until done() holds or about five seconds have passed; done()'s result.
bool PumpUntil(const std::function<bool()>& done);
// Runs the message loop for a short while so that input and paints settle.
void Settle();
// Real input, as the user gives it.
void MoveMouse(POINT screen);
void MouseButton(bool down);
void Click(POINT screen);
void TypeText(const std::wstring& text);
void PressKey(WORD vk);
// The colour on the screen at that point, as 0xRRGGBB.
DWORD ScreenPixel(POINT screen);
