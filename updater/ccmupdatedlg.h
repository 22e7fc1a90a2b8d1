#pragma once

#include <atomic>

#include "updater/framework/ccmdialog.h"
#include "updater/progressview.h"
#include "updater/updatestate.h"

// The progress dialog (template 102): version label, status line painted by the dialog,
// progress bar and the "取消" button. Its worker thread downloads and installs.
class CCMInstallTransaction;

class CCMUpdateDlg : public CCMDialog, public CCMProgressView {
public:
    CCMUpdateDlg(HINSTANCE instance, UpdateState& state);
    ~CCMUpdateDlg() override;

    // CCMProgressView, callable from the worker: each waits until the dialog has applied it.
    void SetStatusLine(const std::wstring& text) override;
    void SetVersionLabel(const std::wstring& text) override;
    void SetProgress(int position) override;

protected:
    // Whether the user has asked to stop.
    bool CancelRequested() const { return m_cancel != 0; }

private:
    enum class InstallOutcome { Installed, Failed, Cancelled };

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnPaint();

    static DWORD WINAPI WorkerThread(void* param);
    // The worker's whole job (download, close the client, install, finish).
    void RunUpdateWorker();
    bool DownloadItem(size_t index);
    // Installs the items in order, checking for a cancel before each one.
    InstallOutcome InstallItems();
    bool InstallItem(size_t index, CCMInstallTransaction& transaction);
    // True when the client was running, so that it was asked to exit.
    bool CloseImeClient();
    void StartImeClient();
    void OfferRestart();
    void OfferReboot();
    void StartCloseTimer();
    std::wstring Text(unsigned id) const { return m_state.texts.Get(id); }

    UpdateState& m_state;
    HICON m_hIcon = nullptr;
    HANDLE m_hWorker = nullptr;                // owned by the dialog, closed in the destructor
    std::atomic<bool> m_workerRunning{false};  // cleared as the worker's last act
    std::atomic<int> m_cancel{0};
};
