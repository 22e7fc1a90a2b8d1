#pragma once

#include <windows.h>

// A modal dialog built from a dialog template resource. Derived classes override the
// handlers; messages they do not handle get the default dialog treatment.
class CCMDialog {
public:
    CCMDialog(HINSTANCE instance, UINT templateId)
        : m_instance(instance), m_templateId(templateId) {}
    CCMDialog(const CCMDialog&) = delete;
    CCMDialog& operator=(const CCMDialog&) = delete;
    virtual ~CCMDialog() = default;

    // Runs the dialog until EndDialog; the end code, or -1 when it could not be created.
    INT_PTR DoModal(HWND owner);
    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    // Called once the controls exist; return TRUE to let the system set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // Enter or the default push button (IDOK).
    virtual void OnOK() { EndDialog(IDOK); }
    // Escape or the close box (IDCANCEL).
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Any other message; set handled to give the result back.
    virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) { return 0; }

    void EndDialog(INT_PTR result);
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

    HINSTANCE m_instance;
    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
};
