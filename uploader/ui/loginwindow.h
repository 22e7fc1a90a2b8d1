#pragma once

#include <string>

#include "uploader/service/loginworker.h"
#include "uploader/ui/feltrinewindow.h"

// The sign-in window ("login.xml"): keeps login_btn enabled while both fields hold text, runs
// LoginWorker, shows its texts on ExceptionHintLabel and, once the role check accepts the
// account, opens the upload window and closes without ending the program. Lives on the heap
// and deletes itself after its final message.
class CLoginWindow : public CFeltrineWindow, private CLoginContext {
public:
    // programFolder ends with a backslash; config.xml is read from it when the window is
    // created, and the archive root lies in it.
    explicit CLoginWindow(std::wstring programFolder);
    ~CLoginWindow() override;

    const wchar_t* GetWindowClassName() const override { return L"UIMainFrame_quorbel_ZEV"; }
    void Notify(TNotifyUI& msg) override;

protected:
    std::wstring GetSkinFile() override { return L"login.xml"; }
    // Fails (-1) when the skin cannot be built or config.xml holds no service base.
    LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // Aborts and waits for a running sign-in, then ends the program unless it handed over.
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    // CLoginContext, called by the worker.
    void SetHintText(const std::wstring& text) override;
    void NotifyLoginFailed() override;
    void NotifyWorkerDone(WPARAM result) override;

    void OnLoginClick();
    void UpdateLoginButton();
    void ShowHint(const std::wstring& text);
    // The worker has ended: arrow cursor, login_btn enabled.
    void EndSignIn();
    // Role-check judgement and hand-over, on WM_WORKER_DONE.
    void OnWorkerDone(WPARAM result) override;
    bool OpenUploadWindow();

    const std::wstring m_programFolder;
    CControlUI* m_closeBtn = nullptr;
    CControlUI* m_minBtn = nullptr;
    CControlUI* m_loginBtn = nullptr;
    CControlUI* m_userNameEdit = nullptr;
    CControlUI* m_passwordEdit = nullptr;
    CControlUI* m_hintLabel = nullptr;
    CWorkerThread m_worker;
    bool m_quitOnClose = true;
};
