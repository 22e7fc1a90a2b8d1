#pragma once

#include <memory>
#include <string>

#include "uploader/service/uploadcontext.h"
#include "uploader/ui/feltrinewindow.h"
#include "uploader/ui/picwindow.h"

// The working window ("upload.xml"): the student's number, the photo chosen after both
// lookups, its preview, the upload on UploadWorker with its progress on upload_pic_btn, the
// verdict and the local archive, the registration page and the photo in the default viewer.
// Closing it ends the program. Lives on the heap and deletes itself after its final message.
class CUploadWindow : public CFeltrineWindow, private CUploadContext {
public:
    explicit CUploadWindow(LoginSession session);
    ~CUploadWindow() override;

    const wchar_t* GetWindowClassName() const override { return L"UIUploadFrame_quorbel_ZEV"; }
    void Notify(TNotifyUI& msg) override;

    // Opens the batch window for that folder, owned by this one, which stays disabled until it
    // closes. False when an upload runs or the window cannot be made.
    bool OpenBatch(const std::wstring& folder);
    // What a drop of one path does: a folder opens the batch window, a file is chosen as the
    // file dialog's choice is (after the same lookups). Ignored while an upload or a dialog runs.
    void OnDrop(const std::wstring& path);

    // The preview child, or null before creation and after destruction.
    CPicWindow* Preview() const { return m_preview.get(); }

protected:
    std::wstring GetSkinFile() override { return L"upload.xml"; }
    // Builds the skin and the preview child; -1 when either fails.
    LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // Aborts and waits for a running upload; while the file dialog runs, only notes the close
    // for the moment it returns.
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    // Destroys the preview and ends the program.
    LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

private:
    // CUploadContext, called by the worker (and by the lookups on selection).
    void SetLookupHint(const std::wstring& text) override;
    void SetUploadButtonText(const std::wstring& text) override;
    void NotifyUploadStopped() override;
    void NotifyWorkerDone(WPARAM result) override;

    // WM_DROPFILES of one path goes to OnDrop; the rest to the base.
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;

    // The lookups that precede a choice, with the hints cleared first; false when one failed.
    // The previous choice is forgotten once they pass.
    bool LookUpForSelection();
    void SelectPicture();
    // Takes a chosen file as the photo: refused by type, kept, shown when it loads.
    void UseChosenPhoto(const std::wstring& chosen);
    void ChooseBatchFolder();
    void StartUpload();
    void OpenRegistrationPage();
    void OpenPhoto();
    // The five buttons that follow Archives_id_edt and are off while an upload runs.
    void EnablePhotoButtons(bool enabled);
    // The worker has ended: arrow cursor, the five buttons follow the number again.
    void EndUpload();
    // Verdict of the upload, on WM_WORKER_DONE.
    void OnWorkerDone(WPARAM result) override;
    std::wstring TypedNumber() const;

    std::unique_ptr<CPicWindow> m_preview;
    // The chosen photo as shown in the preview; empty when none is chosen or it cannot be
    // loaded. photoPath (the context's) is what an upload sends.
    std::wstring m_shownPhoto;
    CWorkerThread m_worker;
    // The file or folder dialog runs; a close that arrives meanwhile waits for it.
    bool m_choosingPhoto = false;
    bool m_closeAfterChoice = false;

    CControlUI* m_closeBtn = nullptr;
    CControlUI* m_minBtn = nullptr;
    CControlUI* m_viewPicBtn = nullptr;
    CControlUI* m_uploadPicBtn = nullptr;
    CControlUI* m_selectPicBtn = nullptr;
    CControlUI* m_numberEdit = nullptr;
    CControlUI* m_hintAid = nullptr;
    CControlUI* m_hintPic = nullptr;
    CControlUI* m_hintUpload = nullptr;
    CControlUI* m_successHint = nullptr;
    CControlUI* m_seeMaxPicBtn = nullptr;
    CControlUI* m_reselectBtn = nullptr;
    CControlUI* m_batchBtn = nullptr;
};
