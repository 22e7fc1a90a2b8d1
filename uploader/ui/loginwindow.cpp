#include "uploader/ui/loginwindow.h"

#include "common/util/ntdebug.h"
#include "common/util/ntstringconvert.h"
#include "uploader/service/logintype.h"
#include "uploader/service/roadsteps.h"
#include "uploader/service/serviceconfig.h"
#include "uploader/service/texts.h"
#include "uploader/ui/uploadwindow.h"

CLoginWindow::CLoginWindow(std::wstring programFolder)
    : m_programFolder(std::move(programFolder)) {}

// A window destroyed by the system without WM_CLOSE (its thread ending) still stops its worker
// before the context the worker uses goes away.
CLoginWindow::~CLoginWindow() { m_worker.Stop(flags); }

LRESULT CLoginWindow::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    LRESULT result = CFeltrineWindow::OnCreate(uMsg, wParam, lParam, bHandled);
    if (result != 0) return result;
    return ReadServiceBase(m_programFolder, session.serviceBase, session.verifyServers) ? 0 : -1;
}

void CLoginWindow::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit) {
        m_closeBtn = m_pm.FindControl(L"closebtn");
        m_minBtn = m_pm.FindControl(L"minbtn");
        m_loginBtn = m_pm.FindControl(L"login_btn");
        m_userNameEdit = m_pm.FindControl(L"UserName_edt");
        m_passwordEdit = m_pm.FindControl(L"Password_edt");
        m_hintLabel = m_pm.FindControl(L"ExceptionHintLabel");
        UpdateLoginButton();
        // The caret goes into the user name once the window is activated.
        m_pm.SetFocus(m_userNameEdit);
    } else if (msg.sType == kNotifyClick) {
        if (msg.pSender == nullptr) return;
        if (msg.pSender == m_loginBtn)
            OnLoginClick();
        else if (msg.pSender == m_closeBtn)
            PostMessage(WM_CLOSE);
        else if (msg.pSender == m_minBtn)
            SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (msg.sType == kNotifyTextChanged) {
        UpdateLoginButton();
    }
}

void CLoginWindow::UpdateLoginButton() {
    // While a sign-in runs the button stays off whatever is typed.
    if (!m_userNameEdit || !m_passwordEdit || IsWorking()) return;
    EnableControl(m_loginBtn,
                  !m_userNameEdit->GetText().empty() && !m_passwordEdit->GetText().empty());
}

void CLoginWindow::ShowHint(const std::wstring& text) { SetControlText(m_hintLabel, text); }

void CLoginWindow::OnLoginClick() {
    if (IsWorking()) return;
    std::wstring user = m_userNameEdit ? m_userNameEdit->GetText() : std::wstring();
    std::wstring pass = m_passwordEdit ? m_passwordEdit->GetText() : std::wstring();
    if (user.empty() || pass.empty()) {
        ShowHint(texts::kEmptyCredentials);
        return;
    }
    if (DetectLoginType(user, loginType) != 0) return;
    userName = CNTStringConvert::UnicodeToAnsi(user.c_str());
    password = CNTStringConvert::UnicodeToAnsi(pass.c_str());
    if (!m_worker.Start(&LoginWorker, static_cast<CLoginContext*>(this), flags)) return;
    SetWorking(true);
    EnableControl(m_loginBtn, false);
}

void CLoginWindow::SetHintText(const std::wstring& text) {
    m_dispatcher.Post([this, text] { ShowHint(text); });
}

void CLoginWindow::NotifyLoginFailed() {
    m_dispatcher.Post([this] { EndSignIn(); });
}

void CLoginWindow::NotifyWorkerDone(WPARAM result) { PostMessage(WM_WORKER_DONE, result, 0); }

void CLoginWindow::EndSignIn() {
    m_worker.Join();
    SetWorking(false);
    EnableControl(m_loginBtn, true);
}

void CLoginWindow::OnWorkerDone(WPARAM result) {
    EndSignIn();
    std::wstring hint;
    if (!JudgeRoleCheck(result, response, hint)) {
        ShowHint(hint);
        return;
    }
    ShowHint(std::wstring());
    // Without an upload window the program must not stay on: the login window then closes
    // with quit-on-close still set.
    if (OpenUploadWindow())
        m_quitOnClose = false;
    else
        CNTDebug::Output(nullptr, L"feltrine: the upload window could not be created\n");
    PostMessage(WM_CLOSE);
}

bool CLoginWindow::OpenUploadWindow() {
    auto* upload = new CUploadWindow(SessionAfterLogin(*this, m_programFolder));
    // A window whose creation fails has deleted itself in OnFinalMessage.
    HWND hWnd = upload->Create(
        nullptr, L"",
        WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU, 0,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    if (!hWnd) return false;
    upload->CenterWindow();
    upload->ShowWindow(true, true);
    return true;
}

LRESULT CLoginWindow::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    m_worker.Stop(flags);
    if (m_quitOnClose) ::PostQuitMessage(0);
    bHandled = FALSE;
    return 0;
}
