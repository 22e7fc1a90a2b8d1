#include "uploader/ui/batchwindow.h"

#include <utility>

#include "uploader/service/texts.h"

namespace {

enum Column { kPhotoColumn, kNumberColumn, kGradeClassColumn, kStateColumn };

constexpr DWORD kFailureColor = 0xFFE5484D;
constexpr DWORD kSuccessColor = 0xFF2E9E5B;

DWORD RowColor(BatchRowState state) {
    switch (state) {
        case BatchRowState::Unsendable:
        case BatchRowState::Failed:
            return kFailureColor;
        case BatchRowState::Uploaded:
            return kSuccessColor;
        default:
            return 0;
    }
}

}  // namespace

CBatchWindow::CBatchWindow(LoginSession session, std::wstring folder)
    : CBatchContext(std::move(session)), m_folder(std::move(folder)) {}

// Destroyed with its owner (no WM_CLOSE then), it still stops its worker before the context goes.
CBatchWindow::~CBatchWindow() { m_worker.Stop(flags); }

void CBatchWindow::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit) {
        m_list = dynamic_cast<CListUI*>(m_pm.FindControl(L"batch_list"));
        m_closeBtn = m_pm.FindControl(L"closebtn");
        m_minBtn = m_pm.FindControl(L"minbtn");
        m_startBtn = m_pm.FindControl(L"batch_start_btn");
        m_stopBtn = m_pm.FindControl(L"batch_stop_btn");
        m_retryBtn = m_pm.FindControl(L"batch_retry_btn");
        m_folderLabel = m_pm.FindControl(L"batch_folder_lbl");
        m_counterLabel = m_pm.FindControl(L"batch_counter_lbl");
        m_summaryLabel = m_pm.FindControl(L"batch_summary_lbl");
        m_progress = dynamic_cast<CProgressUI*>(m_pm.FindControl(L"batch_progress"));
        SetControlText(m_folderLabel, m_folder);
        FillList();
        if (m_list) m_list->SetFocus();
        return;
    }
    if (msg.pSender == nullptr || msg.sType != kNotifyClick) return;
    if (msg.pSender == m_startBtn)
        StartRun(BatchRowState::Waiting);
    else if (msg.pSender == m_retryBtn)
        StartRun(BatchRowState::Failed);
    else if (msg.pSender == m_stopBtn) {
        stopRequested = 1;
        EnableControl(m_stopBtn, false);
    } else if (msg.pSender == m_closeBtn)
        PostMessage(WM_CLOSE);
    else if (msg.pSender == m_minBtn)
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void CBatchWindow::FillList() {
    m_rows = ListBatchFolder(m_folder);
    if (m_list) {
        m_list->RemoveAllRows();
        for (const BatchRow& row : m_rows)
            m_list->AddRow({row.fileName, row.number, row.gradeClass, row.status});
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_list->SetRowTextColor(i, RowColor(m_rows[i].state));
    }
    SetControlText(m_summaryLabel, m_rows.empty() ? std::wstring(texts::kBatchEmptyFolder)
                                                  : BatchSummaryText(CountBatch(m_rows)));
    UpdateButtons();
}

void CBatchWindow::ShowRow(size_t row) {
    if (!m_list || row >= m_rows.size()) return;
    m_list->SetCell(row, kGradeClassColumn, m_rows[row].gradeClass);
    m_list->SetCell(row, kStateColumn, m_rows[row].status);
    m_list->SetRowTextColor(row, RowColor(m_rows[row].state));
}

void CBatchWindow::UpdateButtons() {
    BatchCounts counts = CountBatch(m_rows);
    bool waiting = false;
    for (const BatchRow& row : m_rows) waiting = waiting || row.state == BatchRowState::Waiting;
    bool running = IsWorking();
    EnableControl(m_startBtn, !running && waiting);
    EnableControl(m_retryBtn, !running && counts.failed > 0);
    EnableControl(m_stopBtn, running && stopRequested.load() == 0);
}

void CBatchWindow::StartRun(BatchRowState which) {
    if (IsWorking()) return;
    jobs.clear();
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].state == which)
            jobs.push_back(BatchJob{i, m_rows[i].number, m_folder + L"\\" + m_rows[i].fileName});
    }
    if (jobs.empty()) return;
    stopRequested = 0;
    if (!m_worker.Start(&BatchWorker, static_cast<CBatchContext*>(this), flags)) return;
    SetWorking(true);
    if (m_progress) {
        m_progress->SetRange(0, static_cast<int>(jobs.size()));
        m_progress->SetValue(0);
    }
    SetControlText(m_counterLabel, BatchCounterText(0, static_cast<int>(jobs.size())));
    SetControlText(m_summaryLabel, std::wstring());
    UpdateButtons();
}

void CBatchWindow::NotifyJobStarted(size_t index) {
    m_dispatcher.Post([this, index] {
        size_t row = jobs[index].row;
        m_rows[row].state = BatchRowState::Sending;
        m_rows[row].status = texts::kBatchSending;
        ShowRow(row);
        if (m_list) m_list->EnsureVisible(row);
        SetControlText(m_counterLabel, BatchCounterText(static_cast<int>(index + 1),
                                                        static_cast<int>(jobs.size())));
    });
}

void CBatchWindow::NotifyJobDone(size_t index, bool uploaded, const std::wstring& gradeClass,
                                 const std::wstring& status) {
    m_dispatcher.Post([this, index, uploaded, gradeClass, status] {
        size_t row = jobs[index].row;
        m_rows[row].state = uploaded ? BatchRowState::Uploaded : BatchRowState::Failed;
        m_rows[row].gradeClass = gradeClass;
        m_rows[row].status = status;
        ShowRow(row);
        if (m_progress) m_progress->SetValue(static_cast<int>(index + 1));
    });
}

void CBatchWindow::NotifyBatchEnded(const std::wstring& failure) {
    m_dispatcher.Post([this, failure] { EndRun(failure); });
}

void CBatchWindow::EndRun(const std::wstring& failure) {
    m_worker.Join();
    SetWorking(false);
    std::wstring summary = BatchSummaryText(CountBatch(m_rows));
    SetControlText(m_summaryLabel, failure.empty() ? summary : failure + L"  " + summary);
    UpdateButtons();
}

LRESULT CBatchWindow::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    m_worker.Stop(flags);
    // The owner takes the activation back only if it is enabled before this window goes.
    if (HWND owner = ::GetWindow(m_hWnd, GW_OWNER)) ::EnableWindow(owner, TRUE);
    bHandled = FALSE;
    return 0;
}
