// The worker side of CCMUpdateDlg: everything here runs on the worker thread and reaches the
// controls only through the CCMProgressView setters.
#include "updater/ccmupdatedlg.h"

#include <shellapi.h>

#include "updater/download.h"
#include "updater/imeclient.h"
#include "updater/install.h"
#include "updater/pendingreboot.h"
#include "updater/textformat.h"
#include "updater/versionfile.h"

namespace {

bool FileExists(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void CCMUpdateDlg::RunUpdateWorker() {
    m_cancel = 0;
    bool timerStarted = false;
    if (!m_state.testMode) {
        for (;;) {
            for (size_t i = 0; i < m_state.items.size() && !m_cancel; ++i) DownloadItem(i);
            if (m_cancel) break;
            bool all = true;
            for (const auto& item : m_state.items) all = all && FileExists(item->localPath);
            if (all) break;
            if (ShowUpdateMessage(nullptr, Text(1004), MB_YESNO) != IDYES) {
                StartCloseTimer();
                timerStarted = true;
                m_cancel = 1;
                break;
            }
        }
    }
    // A cancel that comes after the last block (or while the client is being closed) must
    // still install nothing.
    bool clientClosed = !m_cancel && CloseImeClient();
    const std::wstring updateFolder = m_state.programFolder + L"update\\";
    InstallOutcome outcome = InstallOutcome::Cancelled;
    if (!m_cancel) {
        // A request kept by an earlier run came before any of this run's packages.
        if (m_state.reboot == 0) m_state.reboot = ReadPendingReboot(updateFolder);
        outcome = InstallItems();
    }
    if (outcome == InstallOutcome::Installed) {
        WriteVersionFile(m_state.programFolder + L"version.xml", m_state.newVersion);
        ClearPendingReboot(updateFolder);
        if (m_state.reboot != 0)
            OfferReboot();
        else
            OfferRestart();
    } else {
        // The version stays old, so the next run offers the update again; the packages that
        // went in may still need their restart of the computer.
        if (m_state.reboot != 0) KeepPendingReboot(updateFolder, m_state.reboot);
        // The user is not left without the client; one that a cancel caught while it was being
        // asked to exit may still run.
        if (clientClosed && !IsProgramRunning(m_state.programFolder + L"quorbel.exe"))
            StartImeClient();
        if (outcome == InstallOutcome::Failed) ShowUpdateMessage(nullptr, Text(1015), MB_OK);
    }
    if (!timerStarted) StartCloseTimer();
}

bool CCMUpdateDlg::DownloadItem(size_t index) {
    UpdateItem& item = *m_state.items[index];
    DownloadTexts texts;
    texts.versionLabel = FormatText(Text(1002), {m_state.newVersion, std::to_wstring(index + 1),
                                                 std::to_wstring(m_state.items.size())});
    texts.statusPattern = Text(1003);
    return DownloadPackage(item, texts, m_cancel, *this);
}

CCMUpdateDlg::InstallOutcome CCMUpdateDlg::InstallItems() {
    SetProgress(0);
    size_t count = m_state.items.size();
    bool all = true;
    for (size_t k = 0; k < count; ++k) {
        if (m_cancel) return InstallOutcome::Cancelled;
        all = InstallItem(k) && all;
        SetProgress(static_cast<int>(100 * (k + 1) / count));
    }
    return all ? InstallOutcome::Installed : InstallOutcome::Failed;
}

bool CCMUpdateDlg::InstallItem(size_t index) {
    const UpdateItem& item = *m_state.items[index];
    SetStatusLine(FormatText(Text(1008), {item.name}));
    bool unpacked = UnpackPackage(item.localPath);
    SetStatusLine(FormatText(Text(1009), {item.name}));
    bool installed =
        RunSetupScript(item.localPath + L".DIR\\", m_state.programFolder, m_state.reboot, m_hWnd);
    // Removed in every case: a failed package is fetched again on the next run.
    RemovePackage(item.localPath);
    return unpacked && installed;
}

bool CCMUpdateDlg::CloseImeClient() {
    std::wstring target = m_state.programFolder + L"quorbel.exe";
    bool asked = false;
    while (!m_cancel) {
        if (!IsProgramRunning(target)) break;
        AskImeClientToExit();
        asked = true;
        ShowUpdateMessage(nullptr, Text(1010), MB_OK);
    }
    return asked;
}

void CCMUpdateDlg::StartImeClient() {
    std::wstring client = m_state.programFolder + L"quorbel.exe";
    ShellExecuteW(m_hWnd, L"open", client.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CCMUpdateDlg::OfferRestart() {
    if (ShowUpdateMessage(nullptr, Text(1006), MB_YESNO) == IDYES) StartImeClient();
}

void CCMUpdateDlg::OfferReboot() {
    if (ShowUpdateMessage(nullptr, Text(1007), MB_YESNO) != IDYES) return;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool granted =
        LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
        GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    if (granted) ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0);
}
