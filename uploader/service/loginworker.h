#pragma once

#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>

#include <string>

#include "uploader/service/workerthread.h"

// Private message a worker posts to its window when it has finished; wParam carries the
// transfer result of its last request, lParam 0.
constexpr UINT WM_WORKER_DONE = WM_USER + 1;

// What a successful sign-in hands to the upload window.
struct LoginSession {
    std::string xsid;            // sign-in ticket, bytes as received
    std::string jid;             // account identifier; its first two bytes are the province
    std::wstring archiveRoot;    // program folder + "已上传图片", no trailing backslash
    std::string serviceBase;     // SSOUrlBase from config.xml, ANSI
    bool verifyServers = false;  // check server certificates (VerifyServerCertificate)
};

// The login window's side of a sign-in. The window derives from it, fills the inputs, starts
// the worker with CWorkerThread::Start(&LoginWorker, this, flags) and reads `session` and
// `response` after WM_WORKER_DONE; its close handler raises both flags, then Join()s. The worker
// calls the three methods from its own thread; implementations post the update to the UI
// thread and return at once (the UI thread may be waiting for the worker).
class CLoginContext {
public:
    virtual ~CLoginContext() = default;

    // Text for ExceptionHintLabel (an empty text clears it).
    virtual void SetHintText(const std::wstring& text) = 0;
    // A step failed: restore the arrow cursor and enable login_btn.
    virtual void NotifyLoginFailed() = 0;
    // Post WM_WORKER_DONE with the role-check transfer result.
    virtual void NotifyWorkerDone(WPARAM result) = 0;

    // Inputs, taken from the edits at the click (ANSI) and DetectLoginType.
    std::string userName;
    std::string password;
    int loginType = 0;
    // Built by the worker; serviceBase and archiveRoot are filled by the window.
    LoginSession session;
    std::string response;
    WorkerFlags flags;
};

// Thread procedure of the sign-in: sign-in, user-name check, role check. `context` is a
// CLoginContext*. Ends without posting anything once the closing flag is raised.
DWORD WINAPI LoginWorker(void* context);

// Judges the role-check reply on WM_WORKER_DONE. Returns true when the account is a school
// records administrator ("extension" equal to "s3" in any case); otherwise false with the
// text for ExceptionHintLabel in `hint`.
bool JudgeRoleCheck(WPARAM transferResult, const std::string& response, std::wstring& hint);
