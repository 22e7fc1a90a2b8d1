#include "updater/framework/ccmdialog.h"

INT_PTR CCMDialog::DoModal(HWND owner) {
    return DialogBoxParamW(m_instance, MAKEINTRESOURCEW(m_templateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CCMDialog::EndDialog(INT_PTR result) {
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

INT_PTR CALLBACK CCMDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CCMDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CCMDialog*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<CCMDialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            self->OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            self->OnCancel();
            return TRUE;
        }
    }
    bool handled = false;
    INT_PTR result = self->OnMessage(msg, wParam, lParam, handled);
    if (msg == WM_NCDESTROY) self->m_hWnd = nullptr;
    if (!handled) return FALSE;
    // These messages take their result as the procedure's return value.
    if (msg == WM_QUERYDRAGICON || (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC))
        return result;
    SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
