#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/skin/uilib.h"
#include "skin/skintestutil.h"

// A skinned window for the tests: records its notifications and the menu reports it gets,
// lets a test react to "windowinit", to menu reports and to moves, counts its final messages,
// and can behave as the product's windows do (the switches below).
class SkinTestWindow : public WindowImplBase {
public:
    static constexpr UINT kMenuMessage = WM_USER + 100;

    explicit SkinTestWindow(std::wstring skinFile) : m_skinFile(std::move(skinFile)) {}

    void Notify(TNotifyUI& msg) override;
    // Consumes Escape when asked; passes everything else without calling the base.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    CControlUI* Find(const wchar_t* name) { return m_pm.FindControl(name); }
    // The control's centre in screen coordinates.
    POINT ScreenCenter(const wchar_t* name);

    NotifyLog log;
    std::vector<std::wstring> menuEvents;
    std::function<void(CPaintManagerUI&)> onMenuInit;
    std::function<void()> onMove;
    int finalMessages = 0;
    int closeRequests = 0;
    int minimizeCommands = 0;

    bool consumeEscape = false;
    bool ignoreCaptionDoubleClick = false;
    // Hides itself for closebtn (closes to the tray, as it were) and minimizes for minbtn,
    // marks those clicks handled, then calls the base.
    bool handleWindowButtons = false;
    // Answers WM_CLOSE without closing (as a window that asks first).
    bool keepOpenOnClose = false;
    // OnCreate fails after the skin was built (as a window that cannot read its settings).
    bool failAfterBuild = false;

protected:
    const wchar_t* GetWindowClassName() const override { return L"NTSkinTestWindow"; }
    std::wstring GetSkinFolder() override { return std::wstring(); }
    std::wstring GetSkinFile() override { return m_skinFile; }
    LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    std::wstring m_skinFile;
};

// Reads skins from the packaged test folder.
void UseTestSkinFolder();
