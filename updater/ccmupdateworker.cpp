// The worker side of CCMUpdateDlg: everything here runs on the worker thread and reaches the
// controls only through the CCMProgressView setters.
#include "updater/ccmupdatedlg.h"

#include <shellapi.h>

#include <vector>

#include "updater/download.h"
#include "updater/imeclient.h"
#include "updater/install.h"
#include "updater/pendingreboot.h"
#include "updater/textformat.h"
#include "updater/transaction.h"
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
        // A package fetched in this run is not fetched again when the user retries the others
        // (a file found from an earlier run is checked by the download itself).
        std::vector<bool> fetched(m_state.items.size(), false);
        for (;;) {
            for (size_t i = 0; i < m_state.items.size() && !m_cancel; ++i)
                if (!fetched[i]) fetched[i] = DownloadItem(i);
            if (m_cancel) break;
            bool all = true;
            for (size_t i = 0; i < m_state.items.size(); ++i)
                all = all && fetched[i] && FileExists(m_state.items[i]->localPath);
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
    CCMInstallTransaction transaction(m_state.programFolder + L"update\\");
    const int rebootBefore = m_state.reboot;
    InstallOutcome outcome = InstallOutcome::Installed;
    for (size_t k = 0; k < count && outcome == InstallOutcome::Installed; ++k) {
        if (m_cancel)
            outcome = InstallOutcome::Cancelled;
        else if (!InstallItem(k, transaction))
            outcome = InstallOutcome::Failed;
        else
            SetProgress(static_cast<int>(100 * (k + 1) / count));
    }
    if (outcome == InstallOutcome::Installed && m_cancel) outcome = InstallOutcome::Cancelled;
    // The new version is recorded in the same commit as the files it names.
    std::wstring versionDraft;
    if (outcome == InstallOutcome::Installed &&
        !(transaction.StageCopy(m_state.programFolder + L"version.xml", versionDraft) &&
          WriteVersionFile(versionDraft, m_state.newVersion) && transaction.Commit()))
        outcome = InstallOutcome::Failed;
    if (outcome == InstallOutcome::Installed)
        transaction.Finish(m_state.reboot);
    else
        transaction.Rollback();
    // Packages that were rolled back need no restart of the computer; a started program may.
    if (outcome != InstallOutcome::Installed && !transaction.HasCommitted())
        m_state.reboot = rebootBefore;
    return outcome;
}

bool CCMUpdateDlg::InstallItem(size_t index, CCMInstallTransaction& transaction) {
    const UpdateItem& item = *m_state.items[index];
    SetStatusLine(FormatText(Text(1008), {item.name}));
    // Every entry is read and its checksum compared before the script may use any of them.
    bool installed = UnpackPackage(item.localPath);
    SetStatusLine(FormatText(Text(1009), {item.name}));
    installed = installed && RunSetupScript(item.localPath + L".DIR\\", m_state.programFolder,
                                            m_state.reboot, m_hWnd, transaction);
    // Removed in every case: a failed package is fetched again on the next run.
    RemovePackage(item.localPath);
    return installed;
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
