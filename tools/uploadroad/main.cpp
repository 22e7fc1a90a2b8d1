// uploadroad <program folder> <user name> <password> <file number> <photo>
// Walks the upload tool's road without windows: config.xml, sign-in, role check, province
// servers, student lookup, compression, upload to the archive servers, local archive. Prints
// every step in plain words (UTF-8) and exits 0 when the photo was uploaded and archived.
#include <winsock2.h>
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/util/ntstringconvert.h"
#include "uploader/service/logintype.h"
#include "uploader/service/loginworker.h"
#include "uploader/service/photoarchive.h"
#include "uploader/service/roadsteps.h"
#include "uploader/service/serviceconfig.h"
#include "uploader/service/texts.h"
#include "uploader/service/uploadworker.h"

namespace {

// Only one thread prints at a time: the main thread waits while a worker runs.
void Say(const std::wstring& text) {
    std::printf("%s\n", CNTStringConvert::UnicodeToUTF8(text.c_str()).c_str());
    std::fflush(stdout);
}

std::wstring Wide(const std::string& ansi) { return CNTStringConvert::AnsiToUnicode(ansi.c_str()); }

// Stand-in for the login window: hints go to the console.
class CConsoleLogin : public CLoginContext {
public:
    void SetHintText(const std::wstring& text) override {
        if (!text.empty()) Say(L"  login hint: " + text);
    }
    void NotifyLoginFailed() override { Say(L"  the sign-in failed"); }
    void NotifyWorkerDone(WPARAM result) override {
        done = true;
        this->result = result;
    }
    bool done = false;
    WPARAM result = 0;
};

// Stand-in for the upload window.
class CConsoleUpload : public CUploadContext {
public:
    using CUploadContext::CUploadContext;
    void SetLookupHint(const std::wstring& text) override {
        if (!text.empty()) Say(L"  lookup hint: " + text);
    }
    void SetUploadButtonText(const std::wstring& text) override { Say(L"  progress: " + text); }
    void NotifyUploadStopped() override { Say(L"  the upload stopped after a failed lookup"); }
    void NotifyWorkerDone(WPARAM result) override {
        done = true;
        this->result = result;
    }
    bool done = false;
    WPARAM result = 0;
};

class CGdiplusSession {
public:
    CGdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~CGdiplusSession() {
        if (m_ok) Gdiplus::GdiplusShutdown(m_token);
    }
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

class CCurlSession {
public:
    CCurlSession() { curl_global_init(CURL_GLOBAL_ALL); }
    ~CCurlSession() { curl_global_cleanup(); }
    CCurlSession(const CCurlSession&) = delete;
    CCurlSession& operator=(const CCurlSession&) = delete;
};

// What the login window does, up to the hand-over of the session.
bool SignIn(const std::wstring& folder, const std::wstring& user, const std::wstring& password,
            LoginSession& session) {
    CConsoleLogin login;
    if (!ReadServiceBase(folder, login.session.serviceBase, login.session.verifyServers)) {
        Say(L"config.xml in " + folder + L" holds no SSOUrlBase");
        return false;
    }
    Say(L"service base from config.xml: " + Wide(login.session.serviceBase) +
        (login.session.verifyServers ? L" (server certificates are checked)" : L""));
    DetectLoginType(user, login.loginType);
    const wchar_t* types[] = {L"user name", L"mobile number", L"e-mail address"};
    Say(L"signing in as " + user + L" (" + types[login.loginType] + L")");
    login.userName = CNTStringConvert::UnicodeToAnsi(user.c_str());
    login.password = CNTStringConvert::UnicodeToAnsi(password.c_str());
    CWorkerThread worker;
    if (!worker.Start(&LoginWorker, &login, login.flags)) return false;
    worker.Join();
    if (!login.done) return false;
    std::wstring hint;
    if (!JudgeRoleCheck(login.result, login.response, hint)) {
        Say(L"  role check: " + hint);
        return false;
    }
    Say(L"  signed in: xsid " + Wide(login.session.xsid) + L", jid " + Wide(login.session.jid) +
        L"; the account is a school records administrator");
    session = SessionAfterLogin(login, folder);
    return true;
}

struct FindCloser {
    void operator()(HANDLE find) const { FindClose(find); }
};

void ListArchive(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE first = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE) return;
    std::unique_ptr<void, FindCloser> find(first);
    do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") Say(L"  " + folder + L"\\" + name);
    } while (FindNextFileW(find.get(), &entry));
}

int Run(const std::wstring& folderArg, const std::wstring& user, const std::wstring& password,
        const std::wstring& number, const std::wstring& photo) {
    std::wstring folder = folderArg;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    LoginSession session;
    if (!SignIn(folder, user, password, session)) return 1;

    CConsoleUpload upload(session);
    upload.fileNumber = number;
    upload.photoPath = photo;

    // What the upload window does when a picture is selected.
    Say(L"looking up the province servers and student " + number);
    std::string response;
    if (LookupStudent(upload, response) != 0) return 1;
    Say(L"  first archive server: " + Wide(upload.servers.first));
    Say(L"  second archive server: " + Wide(upload.servers.second));
    Say(L"  student " + Wide(upload.record.student_id) + L", grade " + upload.record.grade_name +
        L", class " + upload.record.class_name);

    Say(L"uploading " + photo);
    CWorkerThread worker;
    if (!worker.Start(&UploadWorker, &upload, upload.flags)) return 1;
    worker.Join();
    if (!upload.done) return 1;
    Say(L"  compressed copy: " + upload.compressedPath);
    switch (JudgeUpload(upload.result, upload.response)) {
        case UploadVerdict::Failed:
            Say(std::wstring(L"  verdict: ") + texts::kUploadFailed);
            return 1;
        case UploadVerdict::Unchanged:
            Say(L"  verdict: the server's reply was not JSON");
            return 1;
        case UploadVerdict::Succeeded:
            Say(std::wstring(L"  verdict: ") + texts::kUploadSucceeded);
            break;
    }
    if (ArchiveLastUpload(upload) != 0) {
        Say(L"the photo could not be archived locally");
        return 1;
    }
    std::wstring archived;
    ArchiveFolder(session.archiveRoot, upload.record, archived);
    Say(L"local archive " + archived + L" now holds:");
    ListArchive(archived);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        Say(L"usage: uploadroad <program folder> <user name> <password> <file number> <photo>");
        return 2;
    }
    CCurlSession curl;
    CGdiplusSession gdiplus;
    return Run(argv[1], argv[2], argv[3], argv[4], argv[5]);
}
