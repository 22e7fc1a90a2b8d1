#pragma once

#include <string>

#include "common/skin/paintmanagerui.h"
#include "common/skin/uidefs.h"
#include "common/skin/windowwnd.h"

// Base of every skinned window. On WM_CREATE it builds the controls from the skin file that
// the derived class names, sizes the window to the skin, sends "windowinit" and from then on
// paints, lays out and routes input for them. The derived class supplies its skin file, skin
// folder and window class name and reacts in Notify; its own messages go through
// HandleMessage (call WindowImplBase::HandleMessage for the rest) or HandleCustomMessage.
// A window whose creation fails still gets OnFinalMessage.
class NT_API WindowImplBase : public CWindowWnd,
                              public INotifyUI,
                              public IMessageFilterUI,
                              public IDialogBuilderCallback {
public:
    WindowImplBase() = default;
    ~WindowImplBase() override;

    void Notify(TNotifyUI& msg) override;
    // Default: Enter and Escape go to ResponseDefaultKeyEvent.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    // Default: no controls of the window's own.
    CControlUI* CreateControl(const wchar_t* className) override { return nullptr; }
    // The handlers below, then HandleCustomMessage, the message filters and the controls, then
    // the default procedure.
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // Detaches the controls from the window; a derived window that lives on the heap deletes
    // itself after calling this.
    void OnFinalMessage(HWND hWnd) override;

protected:
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    // Default: a "click" on closebtn closes, on minbtn minimizes, on maxbtn/restorebtn
    // maximizes/restores.
    virtual void OnClick(TNotifyUI& msg);
    // Runs after the controls exist, before "windowinit" is sent.
    virtual void InitWindow() {}
    // Enter activates the skin's default button; Escape closes the window. Non-zero when the
    // key was used.
    virtual LRESULT ResponseDefaultKeyEvent(WPARAM wParam);

    // Builds the skin; -1 (window creation fails) when the skin cannot be read or built.
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // The caption band drags the window except over controls that take clicks.
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    // Messages no handler above took; bHandled arrives FALSE.
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

    bool IsChildWindow() const;

    CPaintManagerUI m_pm;
};
