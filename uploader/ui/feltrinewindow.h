#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <string>

#include "common/skin/uilib.h"
#include "uploader/service/loginworker.h"  // WM_WORKER_DONE
#include "uploader/ui/uidispatcher.h"

// What the login and the upload window share: class style, skin folder, the system-command
// handler, the message filter that consumes Escape, the swallowed caption double click, the
// wait cursor, control look-up and self-deletion after the final message. Both live on the heap.
class CFeltrineWindow : public WindowImplBase {
public:
    // The control with that name, or nullptr (also before "windowinit").
    CControlUI* FindControl(const wchar_t* name) const { return m_pm.FindControl(name); }

    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // Escape does nothing; Enter (the skin's default button, which only the login window has)
    // and Tab keep the framework's handling.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    void OnFinalMessage(HWND hWnd) override;

protected:
    CFeltrineWindow();

    std::wstring GetSkinFolder() override { return std::wstring(); }
    // Other commands than SC_CLOSE are carried out here, then maxbtn/restorebtn follow the
    // maximized state.
    LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // Binds the dispatcher; a derived OnCreate calls this first.
    LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // WM_WORKER_DONE goes to OnWorkerDone; everything else is left to the framework.
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // The window's worker has posted its result (WM_WORKER_DONE's WPARAM).
    virtual void OnWorkerDone(WPARAM result) = 0;

    // The window class cursor: the wait cursor while work runs, the arrow otherwise.
    void ShowBusyCursor(bool busy);
    // From the start of the window's worker until its end has been handled here: the wait
    // cursor, and no second worker meanwhile.
    void SetWorking(bool working) {
        m_working = working;
        ShowBusyCursor(working);
    }
    bool IsWorking() const { return m_working; }
    void SetControlText(CControlUI* control, const std::wstring& text);
    void EnableControl(CControlUI* control, bool enabled);

    // Worker-to-window updates; answered in HandleMessage.
    CUiDispatcher m_dispatcher;

private:
    bool m_working = false;
};
