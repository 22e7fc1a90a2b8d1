// feltrine.exe: the photo upload tool. Without arguments it opens the login window; with a
// sign-in ticket and account identifier as arguments 1 and 2 it opens the upload window.
#include <winsock2.h>  // before windows.h, as libcurl needs
#include <windows.h>
#include <objbase.h>

#include <curl/curl.h>

#include <memory>
#include <string>

#include "common/skin/uilib.h"
#include "common/util/ntdebug.h"
#include "common/util/ntimage.h"
#include "common/util/ntstringconvert.h"
#include "common/util/ntsystem.h"
#include "uploader/service/roadsteps.h"
#include "uploader/service/serviceconfig.h"
#include "uploader/ui/loginwindow.h"
#include "uploader/ui/uploadwindow.h"

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Style of the first window; the skin then draws its frame.
constexpr DWORD kFirstWindowStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;

// Failures are ignored: the tool works without the privilege where it is not granted.
void EnableDebugPrivilege() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &raw)) return;
    UniqueHandle token(raw);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &privileges.Privileges[0].Luid)) return;
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

// Folder of the program file with a trailing backslash; false when the path cannot be read.
bool ProgramFolder(HINSTANCE instance, std::wstring& folder) {
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    folder.assign(path, length);
    size_t slash = folder.rfind(L'\\');
    if (slash == std::wstring::npos) return false;
    folder.resize(slash + 1);
    return true;
}

// Argument n of the command line, written to the debugger output when it exists.
std::wstring Argument(int n) {
    std::wstring arg = NTParseCmdLine(n);
    if (!arg.empty()) ::OutputDebugStringW((arg + L"\r\n").c_str());
    return arg;
}

// Direct mode: the upload window with the ticket and account from the command line.
bool OpenUploadWindow(const std::wstring& folder, const std::wstring& xsid,
                      const std::wstring& jid) {
    LoginSession session;
    session.xsid = CNTStringConvert::UnicodeToAnsi(xsid.c_str());
    session.jid = CNTStringConvert::UnicodeToAnsi(jid.c_str());
    session.archiveRoot = ArchiveRootOf(folder);
    if (!EnsureArchiveRoot(session.archiveRoot)) return false;
    if (!ReadServiceBase(folder, session.serviceBase, session.verifyServers)) return false;
    auto* window = new CUploadWindow(std::move(session));
    // A window whose creation fails has already deleted itself (OnFinalMessage).
    if (!window->Create(nullptr, L"", kFirstWindowStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT))
        return false;
    window->CenterWindow();
    window->ShowWindow(true, true);
    return true;
}

// Login mode. The window refuses to be created without a service base.
bool OpenLoginWindow(const std::wstring& folder) {
    auto* window = new CLoginWindow(folder);
    if (!window->Create(nullptr, L"feltrine", kFirstWindowStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT))
        return false;
    window->CenterWindow();
    window->ShowWindow(true, true);
    return true;
}

// Everything after COM is up; false for the failure exit.
bool RunWindows(const std::wstring& folder) {
    std::wstring xsid = Argument(1);
    std::wstring jid = Argument(2);
    bool direct = !xsid.empty() || !jid.empty();
    if (!(direct ? OpenUploadWindow(folder, xsid, jid) : OpenLoginWindow(folder))) return false;
    CPaintManagerUI::MessageLoop();
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, L"feltrine_quorbel"));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::MessageBoxW(nullptr, L"已经有一个实例在运行了!", L"注意", MB_OK);
        return 0;
    }
    EnableDebugPrivilege();
    std::wstring folder;
    if (!ProgramFolder(instance, folder)) return -1;

    CPaintManagerUI::SetInstance(instance);
    CPaintManagerUI::SetResourcePath((folder + L"skin\\").c_str());
    // The preview and the compression draw with GDI+; the skin framework starts it too.
    NTInitializeGdiplus();
    if (FAILED(::CoInitialize(nullptr))) {
        NTUninitializeGdiplus();
        return -1;
    }
    curl_global_init(CURL_GLOBAL_ALL);

    bool ran = RunWindows(folder);

    mutex.reset();
    curl_global_cleanup();
    ::CoUninitialize();
    NTUninitializeGdiplus();
    return ran ? 0 : -1;
}
