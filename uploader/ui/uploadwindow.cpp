#include "uploader/ui/uploadwindow.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <utility>

#include "common/util/ntstringconvert.h"
#include "uploader/service/roadsteps.h"
#include "uploader/service/texts.h"
#include "uploader/service/uploadworker.h"
#include "uploader/ui/batchwindow.h"

#ifndef FELTRINE_REGISTRATION_SITE
#define FELTRINE_REGISTRATION_SITE "https://www.quorbel.com"
#endif

namespace {

// Where the preview sits in the client area, and its size.
constexpr RECT kPreviewRect = {180, 150, 400, 370};
// Characters of the file dialog's name buffer.
constexpr DWORD kPathBufferSize = 520;

// The system's open-file dialog for one photo. False when cancelled or failed.
bool AskForPhoto(HWND owner, std::wstring& path) {
    wchar_t buffer[kPathBufferSize] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"*.jpeg;*.jpg;*.png\0*.jpg;*.jpeg;*.png\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = kPathBufferSize;
    // Shortcuts are shown as files (and refused afterwards) rather than followed.
    ofn.Flags = OFN_NODEREFERENCELINKS | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!::GetOpenFileNameW(&ofn)) return false;
    path = buffer;
    return true;
}

// The system's folder picker, which also takes a typed path. False when cancelled or failed.
bool AskForFolder(HWND owner, std::wstring& folder) {
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&dialog))))
        return false;
    bool chosen = false;
    FILEOPENDIALOGOPTIONS options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options)) &&
        SUCCEEDED(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM |
                                     FOS_PATHMUSTEXIST)) &&
        SUCCEEDED(dialog->Show(owner))) {
        IShellItem* item = nullptr;
        if (SUCCEEDED(dialog->GetResult(&item))) {
            wchar_t* path = nullptr;
            if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                folder = path;
                ::CoTaskMemFree(path);
                chosen = true;
            }
            item->Release();
        }
    }
    dialog->Release();
    return chosen;
}

// The one path dropped, or false when the drop carries several or none.
bool SingleDroppedPath(HDROP drop, std::wstring& path) {
    if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 1) return false;
    UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
    path.assign(length + 1, L'\0');
    if (::DragQueryFileW(drop, 0, &path[0], length + 1) == 0) return false;
    path.resize(length);
    return true;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CUploadWindow::CUploadWindow(LoginSession session) : CUploadContext(std::move(session)) {}

// A window destroyed without WM_CLOSE still stops its worker before its context goes away.
CUploadWindow::~CUploadWindow() { m_worker.Stop(flags); }

LRESULT CUploadWindow::OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    LRESULT result = CFeltrineWindow::OnCreate(uMsg, wParam, lParam, bHandled);
    if (result != 0) return result;
    m_preview = std::make_unique<CPicWindow>();
    if (!m_preview->Create(m_hWnd, L"", WS_CHILD | WS_VISIBLE, 0, kPreviewRect.left,
                           kPreviewRect.top, kPreviewRect.right - kPreviewRect.left,
                           kPreviewRect.bottom - kPreviewRect.top)) {
        m_preview.reset();
        return -1;
    }
    // The tool runs elevated: the shell's drops from a normal-rights Explorer need these let in.
    for (UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), 0x0049u})
        ::ChangeWindowMessageFilterEx(m_hWnd, message, MSGFLT_ALLOW, nullptr);
    ::DragAcceptFiles(m_hWnd, TRUE);
    return 0;
}

void CUploadWindow::Notify(TNotifyUI& msg) {
    if (msg.sType == kNotifyWindowInit) {
        m_closeBtn = m_pm.FindControl(L"closebtn");
        m_minBtn = m_pm.FindControl(L"minbtn");
        m_viewPicBtn = m_pm.FindControl(L"view_pic_btn");
        m_uploadPicBtn = m_pm.FindControl(L"upload_pic_btn");
        m_selectPicBtn = m_pm.FindControl(L"select_pic_btn");
        m_numberEdit = m_pm.FindControl(L"Archives_id_edt");
        m_hintAid = m_pm.FindControl(L"ExceptionHintAID");
        m_hintPic = m_pm.FindControl(L"ExceptionHintPic");
        m_hintUpload = m_pm.FindControl(L"ExceptionHintUpload");
        m_successHint = m_pm.FindControl(L"SuccessUploadHint");
        m_seeMaxPicBtn = m_pm.FindControl(L"see_max_pic_btn");
        m_reselectBtn = m_pm.FindControl(L"del_re_select_pic_btn");
        m_batchBtn = m_pm.FindControl(L"batch_upload_btn");
        EnablePhotoButtons(!TypedNumber().empty());
        // The caret goes into the number once the window is activated.
        m_pm.SetFocus(m_numberEdit);
        return;
    }
    if (msg.pSender == nullptr) return;
    if (msg.sType == kNotifyClick) {
        if (msg.pSender == m_viewPicBtn)
            OpenRegistrationPage();
        else if (msg.pSender == m_selectPicBtn || msg.pSender == m_reselectBtn)
            SelectPicture();
        else if (msg.pSender == m_uploadPicBtn)
            StartUpload();
        else if (msg.pSender == m_seeMaxPicBtn)
            OpenPhoto();
        else if (msg.pSender == m_batchBtn)
            ChooseBatchFolder();
        else if (msg.pSender == m_closeBtn)
            PostMessage(WM_CLOSE);
        else if (msg.pSender == m_minBtn)
            SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (msg.sType == kNotifyTextChanged && msg.pSender == m_numberEdit) {
        // Typing during an upload must not offer a second selection next to the worker.
        if (!IsWorking()) EnablePhotoButtons(!TypedNumber().empty());
    }
}

std::wstring CUploadWindow::TypedNumber() const {
    return m_numberEdit ? m_numberEdit->GetText() : std::wstring();
}

void CUploadWindow::EnablePhotoButtons(bool enabled) {
    for (CControlUI* button :
         {m_viewPicBtn, m_uploadPicBtn, m_selectPicBtn, m_seeMaxPicBtn, m_reselectBtn})
        EnableControl(button, enabled);
}

bool CUploadWindow::LookUpForSelection() {
    SetControlText(m_uploadPicBtn, texts::kUploadButton);
    SetControlText(m_hintUpload, std::wstring());
    SetControlText(m_successHint, std::wstring());
    SetControlText(m_hintPic, std::wstring());

    // The lookups run here on the UI thread, bounded by the GET time-outs.
    ShowBusyCursor(true);
    fileNumber = TypedNumber();
    std::string lookupResponse;
    int looked = LookupStudent(*this, lookupResponse);
    ShowBusyCursor(false);
    if (looked != 0) return false;
    photoPath.clear();
    m_shownPhoto.clear();
    return true;
}

void CUploadWindow::SelectPicture() {
    if (!LookUpForSelection()) return;
    std::wstring chosen;
    m_choosingPhoto = true;
    bool answered = AskForPhoto(m_hWnd, chosen);
    m_choosingPhoto = false;
    if (m_closeAfterChoice) {
        // The window was asked to close while the dialog ran: close now, choose nothing.
        PostMessage(WM_CLOSE);
        return;
    }
    if (!answered) {
        if (m_preview) m_preview->SetImage(nullptr);
        return;
    }
    UseChosenPhoto(chosen);
}

void CUploadWindow::UseChosenPhoto(const std::wstring& chosen) {
    if (!IsAcceptedPhotoPath(chosen)) {
        SetControlText(m_hintUpload, texts::kWrongPhotoType);
        return;
    }
    // Kept even when it cannot be shown: the upload then reports the failure.
    photoPath = chosen;
    std::unique_ptr<Gdiplus::Bitmap> picture = LoadPreviewPicture(chosen);
    if (!picture) return;
    m_shownPhoto = chosen;
    if (m_preview) m_preview->SetImage(std::move(picture));
}

void CUploadWindow::ChooseBatchFolder() {
    if (IsWorking()) return;
    std::wstring folder;
    m_choosingPhoto = true;
    bool answered = AskForFolder(m_hWnd, folder);
    m_choosingPhoto = false;
    if (m_closeAfterChoice) {
        PostMessage(WM_CLOSE);
        return;
    }
    if (answered) OpenBatch(folder);
}

bool CUploadWindow::OpenBatch(const std::wstring& folder) {
    if (IsWorking()) return false;
    auto* batch = new CBatchWindow(session, folder);
    // A window whose creation fails has deleted itself in OnFinalMessage.
    HWND hWnd = batch->Create(
        m_hWnd, L"",
        WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU, 0,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    if (!hWnd) return false;
    // Modal to this window: it gets its input back when the batch window closes.
    ::EnableWindow(m_hWnd, FALSE);
    batch->CenterWindow();
    batch->ShowWindow(true, true);
    return true;
}

void CUploadWindow::OnDrop(const std::wstring& path) {
    if (IsWorking() || m_choosingPhoto) return;
    if (IsFolder(path)) {
        OpenBatch(path);
        return;
    }
    if (LookUpForSelection()) UseChosenPhoto(path);
}

LRESULT CUploadWindow::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam,
                                           BOOL& bHandled) {
    if (uMsg != WM_DROPFILES)
        return CFeltrineWindow::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    bHandled = TRUE;
    auto drop = reinterpret_cast<HDROP>(wParam);
    std::wstring path;
    bool single = SingleDroppedPath(drop, path);
    ::DragFinish(drop);
    if (single) OnDrop(path);
    return 0;
}

void CUploadWindow::StartUpload() {
    if (IsWorking()) return;
    if (photoPath.empty()) {
        SetControlText(m_hintPic, texts::kNoPhoto);
        return;
    }
    SetControlText(m_uploadPicBtn, texts::kUploadButton);
    SetControlText(m_hintUpload, std::wstring());
    SetControlText(m_successHint, std::wstring());
    SetControlText(m_hintPic, std::wstring());
    fileNumber = TypedNumber();
    if (!m_worker.Start(&UploadWorker, static_cast<CUploadContext*>(this), flags)) return;
    SetWorking(true);
    EnablePhotoButtons(false);
}

void CUploadWindow::OpenRegistrationPage() {
    std::string url = RegistrationPageUrl(FELTRINE_REGISTRATION_SITE, session.xsid);
    ::ShellExecuteW(m_hWnd, L"open", CNTStringConvert::AnsiToUnicode(url.c_str()).c_str(), nullptr,
                    nullptr, SW_SHOWNORMAL);
}

void CUploadWindow::OpenPhoto() {
    if (m_shownPhoto.empty() || !IsPictureFile(m_shownPhoto)) return;
    ::ShellExecuteW(m_hWnd, L"open", m_shownPhoto.c_str(), nullptr, nullptr, SW_SHOW);
}

void CUploadWindow::SetLookupHint(const std::wstring& text) {
    m_dispatcher.Post([this, text] { SetControlText(m_hintAid, text); });
}

void CUploadWindow::SetUploadButtonText(const std::wstring& text) {
    m_dispatcher.Post([this, text] { SetControlText(m_uploadPicBtn, text); });
}

void CUploadWindow::NotifyUploadStopped() {
    m_dispatcher.Post([this] { EndUpload(); });
}

void CUploadWindow::NotifyWorkerDone(WPARAM result) { PostMessage(WM_WORKER_DONE, result, 0); }

void CUploadWindow::EndUpload() {
    m_worker.Join();
    SetWorking(false);
    EnablePhotoButtons(!TypedNumber().empty());
}

void CUploadWindow::OnWorkerDone(WPARAM result) {
    EndUpload();
    switch (JudgeUpload(result, response)) {
        case UploadVerdict::Failed:
            SetControlText(m_hintUpload, texts::kUploadFailed);
            SetControlText(m_uploadPicBtn, texts::kUploadAgainButton);
            break;
        case UploadVerdict::Unchanged:
            break;
        case UploadVerdict::Succeeded:
            SetControlText(m_hintUpload, std::wstring());
            SetControlText(m_uploadPicBtn, texts::kUploadSucceeded);
            SetControlText(m_successHint, texts::kUploadSucceeded);
            ArchiveLastUpload(*this);
            break;
    }
}

LRESULT CUploadWindow::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    // The dialog's own loop delivers the close; the selection code below it still runs on
    // this window, so the window stays until the dialog has returned.
    if (m_choosingPhoto) {
        m_closeAfterChoice = true;
        bHandled = TRUE;
        return 0;
    }
    m_worker.Stop(flags);
    bHandled = FALSE;
    return 0;
}

LRESULT CUploadWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (m_preview && ::IsWindow(m_preview->GetHWND())) ::DestroyWindow(m_preview->GetHWND());
    m_preview.reset();
    ::PostQuitMessage(0);
    bHandled = FALSE;
    return 0;
}
