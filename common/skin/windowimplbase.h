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
// Every window ends in OnFinalMessage exactly once, also one whose creation fails.
class NT_API WindowImplBase : public CWindowWnd,
                              public INotifyUI,
                              public IMessageFilterUI,
                              public IDialogBuilderCallback,
                              public IDefaultKeyUI {
public:
    WindowImplBase() = default;
    // Destroys the window when it still exists (on its own thread).
    ~WindowImplBase() override;

    // CWindowWnd's creation; null on failure, and then OnFinalMessage has already run (whether
    // the window got as far as WM_CREATE or not): a window that deletes itself there is gone
    // and the caller must not touch or delete it; any other object may be created again.
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x, int y,
                int width, int height, HMENU menu = nullptr);
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, const RECT& rc,
                HMENU menu = nullptr);

    // Default: a "click" that no one marked handled goes to OnClick.
    void Notify(TNotifyUI& msg) override;
    // The window's message filter, the first one. Default: passes everything (the default keys
    // come after all filters, so a window that consumes Escape here keeps Enter and Tab).
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    // Default: no controls of the window's own.
    CControlUI* CreateControl(const wchar_t* className) override { return nullptr; }
    // The handlers below, then HandleCustomMessage, then the paint manager (message filters,
    // controls, default keys), then the default procedure.
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // Detaches the controls from the window; a derived window that lives on the heap calls this
    // first and then deletes itself.
    void OnFinalMessage(HWND hWnd) override;

protected:
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    // Default: a "click" on closebtn posts WM_CLOSE, on minbtn minimizes, on maxbtn/restorebtn
    // maximizes/restores. A window that handles one of these itself in Notify marks the
    // notification handled (msg.bHandled = true) and may still pass it on: it is not acted on
    // twice.
    virtual void OnClick(TNotifyUI& msg);
    // Runs after the controls exist, before "windowinit" is sent.
    virtual void InitWindow() {}
    // The default keys, for Enter and Escape that no message filter consumed: Enter activates
    // the skin's default button, Escape posts WM_CLOSE. Non-zero when the key was used.
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;

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

private:
    // Removes the WM_CLOSEs still queued for this window.
    void DropQueuedCloses();

    // Set while Create runs: tells it that WM_NCCREATE arrived (so a failure has already run
    // OnFinalMessage) without touching an object that may be gone.
    bool* m_createReached = nullptr;
};
