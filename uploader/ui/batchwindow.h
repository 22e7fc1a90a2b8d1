#pragma once

#include <string>
#include <vector>

#include "uploader/service/batchplan.h"
#include "uploader/service/batchworker.h"
#include "uploader/ui/feltrinewindow.h"

class CListUI;

// The batch window ("batch.xml"), owned by the upload window: the photos of one folder in a
// list (照片, 上传号, 年级班级, 状态), sent in order by one BatchWorker run with a progress bar
// and "第 k / N 张", stopped after the current photo by "停止", failed rows sent again by
// "重试失败", and a summary when a run ends. A photo uploaded here is never sent again.
// Closing stops a run and waits for it. Lives on the heap and deletes itself.
class CBatchWindow : public CFeltrineWindow, private CBatchContext {
public:
    CBatchWindow(LoginSession session, std::wstring folder);
    ~CBatchWindow() override;

    const wchar_t* GetWindowClassName() const override { return L"UIBatchFrame_quorbel_ZEV"; }
    void Notify(TNotifyUI& msg) override;

    // The list's rows as the window keeps them.
    const std::vector<BatchRow>& Rows() const { return m_rows; }

protected:
    std::wstring GetSkinFile() override { return L"batch.xml"; }
    // Stops a run and waits for it, and gives the owner its input back before going.
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    // CBatchContext, called on the worker.
    void NotifyJobStarted(size_t index) override;
    void NotifyJobDone(size_t index, bool uploaded, const std::wstring& gradeClass,
                       const std::wstring& status) override;
    void NotifyBatchEnded(const std::wstring& failure) override;
    // The batch reports through its own notices; WM_WORKER_DONE never comes.
    void OnWorkerDone(WPARAM) override {}

    void FillList();
    // Sends every row in that state, in list order.
    void StartRun(BatchRowState which);
    void EndRun(const std::wstring& failure);
    void ShowRow(size_t row);
    void UpdateButtons();

    const std::wstring m_folder;
    std::vector<BatchRow> m_rows;
    CWorkerThread m_worker;

    CListUI* m_list = nullptr;
    CControlUI* m_closeBtn = nullptr;
    CControlUI* m_minBtn = nullptr;
    CControlUI* m_startBtn = nullptr;
    CControlUI* m_stopBtn = nullptr;
    CControlUI* m_retryBtn = nullptr;
    CControlUI* m_folderLabel = nullptr;
    CControlUI* m_counterLabel = nullptr;
    CControlUI* m_summaryLabel = nullptr;
    CProgressUI* m_progress = nullptr;
};
