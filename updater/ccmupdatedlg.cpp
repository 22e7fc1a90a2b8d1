#include "updater/ccmupdatedlg.h"

#include <commctrl.h>

#include "common/window/ntmemdc.h"
#include "updater/resource.h"
#include "updater/textformat.h"

namespace {

// Posted by the worker: timers belong to the dialog's own thread.
constexpr UINT WM_START_CLOSE_TIMER = WM_USER + 1;
constexpr UINT_PTR kCloseTimer = 1;

bool IsDroppedWhileWaiting(UINT msg) {
    switch (msg) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_TIMER:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return true;
        default:
            return false;
    }
}

BOOL CALLBACK SetFontOnChild(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

}  // namespace

CCMUpdateDlg::CCMUpdateDlg(HINSTANCE instance, UpdateState& state)
    : CCMDialog(instance, IDD_UPDATE), m_state(state) {
    m_hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_UPDATE), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

CCMUpdateDlg::~CCMUpdateDlg() {
    if (m_hWorker) {
        // The dialog ends only after the worker, so this wait returns at once.
        WaitForSingleObject(m_hWorker, INFINITE);
        CloseHandle(m_hWorker);
    }
    if (m_hIcon) DestroyIcon(m_hIcon);
}

void CCMUpdateDlg::SetStatusLine(const std::wstring& text) {
    HWND status = GetDlgItem(IDC_STATUS);
    SetWindowTextW(status, text.c_str());
    RECT rc{};
    GetWindowRect(status, &rc);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    InvalidateRect(m_hWnd, &rc, FALSE);
}

void CCMUpdateDlg::SetVersionLabel(const std::wstring& text) {
    SetWindowTextW(GetDlgItem(IDC_VERSION), text.c_str());
}

void CCMUpdateDlg::SetProgress(int position) {
    SendMessageW(GetDlgItem(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

BOOL CCMUpdateDlg::OnInitDialog() {
    HFONT font = m_state.dialogFont.get();
    if (font) {
        SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        EnumChildWindows(m_hWnd, SetFontOnChild, reinterpret_cast<LPARAM>(font));
    }
    SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(m_hWnd);
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetVersionLabel(
        FormatText(Text(1002), {m_state.newVersion, L"1", std::to_wstring(m_state.items.size())}));
    SendMessageW(GetDlgItem(IDC_PROGRESS), PBM_SETRANGE32, 0, 100);
    SetProgress(0);
    CreateDirectoryW((m_state.programFolder + L"update\\").c_str(), nullptr);

    m_cancel = 0;
    m_workerRunning = true;
    m_hWorker = CreateThread(nullptr, 0, WorkerThread, this, 0, nullptr);
    if (!m_hWorker) {
        m_workerRunning = false;
        StartCloseTimer();
    }
    return TRUE;
}

DWORD WINAPI CCMUpdateDlg::WorkerThread(void* param) {
    auto* self = static_cast<CCMUpdateDlg*>(param);
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    self->RunUpdateWorker();
    if (SUCCEEDED(com)) CoUninitialize();
    self->m_workerRunning = false;
    return 0;
}

void CCMUpdateDlg::OnOK() {
    if (ShowUpdateMessage(m_hWnd, Text(1001), MB_YESNO) == IDYES) OnCancel();
}

void CCMUpdateDlg::OnCancel() {
    if (m_hWorker && m_workerRunning) {
        m_cancel = 1;
        // Keep serving the worker's messages to the controls; drop input so the user cannot
        // act on the dialog twice.
        while (m_workerRunning) {
            DWORD rc = MsgWaitForMultipleObjects(1, &m_hWorker, FALSE, INFINITE, QS_ALLINPUT);
            if (rc != WAIT_OBJECT_0 + 1) break;
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (IsDroppedWhileWaiting(msg.message)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    EndDialog(IDCANCEL);
}

INT_PTR CCMUpdateDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            handled = true;
            return 0;
        case WM_QUERYDRAGICON:
            handled = true;
            return reinterpret_cast<INT_PTR>(m_hIcon);
        case WM_TIMER:
            KillTimer(m_hWnd, wParam);
            if (wParam == kCloseTimer) OnCancel();
            handled = true;
            return 0;
        case WM_START_CLOSE_TIMER:
            SetTimer(m_hWnd, kCloseTimer, 500, nullptr);
            handled = true;
            return 0;
        default:
            return 0;
    }
}

void CCMUpdateDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    if (IsIconic(m_hWnd)) {
        SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
        DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, m_hIcon);
    } else {
        CNTMemDC mem(dc, client, GetSysColor(COLOR_MENU));
        HWND status = GetDlgItem(IDC_STATUS);
        RECT rc{};
        GetWindowRect(status, &rc);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        int len = GetWindowTextLengthW(status);
        std::wstring text(static_cast<size_t>(len) + 1, L'\0');
        GetWindowTextW(status, &text[0], len + 1);
        text.resize(static_cast<size_t>(len));
        HGDIOBJ oldFont =
            SelectObject(mem, reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
        SetBkMode(mem, TRANSPARENT);
        SetTextColor(mem, RGB(0, 0, 0));
        DrawTextW(mem, text.c_str(), len, &rc,
                  DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(mem, oldFont);
    }
    EndPaint(m_hWnd, &ps);
}

void CCMUpdateDlg::StartCloseTimer() { PostMessageW(m_hWnd, WM_START_CLOSE_TIMER, 0, 0); }
