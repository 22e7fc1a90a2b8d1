#pragma once

#include <windows.h>

#include "common/ntapi.h"

// Object wrapper over one Win32 window. A derived class names its window class, handles
// messages in HandleMessage and learns in OnFinalMessage that its window is gone (the object
// outlives the window; after OnFinalMessage the handle is null again).
class NT_API CNTWindow {
public:
    CNTWindow() = default;
    virtual ~CNTWindow() = default;
    CNTWindow(const CNTWindow&) = delete;
    CNTWindow& operator=(const CNTWindow&) = delete;

    virtual int InvalidateRect(const RECT* rect, BOOL erase);

    static void InitInstance(HINSTANCE hInstance) { m_hInstance = hInstance; }
    static HINSTANCE GetInstance() { return m_hInstance; }

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Registers the class (or superclass) and creates the window; null on failure.
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x, int y,
                int width, int height, HMENU menu = nullptr);
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, const RECT& rc,
                HMENU menu = nullptr);
    // Takes over an existing window's procedure; null when it cannot be replaced.
    HWND Subclass(HWND hWnd);
    // Gives a subclassed window its old procedure back (nothing when the window is gone).
    void Unsubclass();

    void ShowWindow(bool show = true, bool takeFocus = true);
    // Runs the window modally with its own loop; the code given to Close, 0 otherwise.
    UINT ShowModal();
    void Close(UINT code = IDOK);
    // Centres on the owner (or the work area) and keeps the window inside the work area.
    void CenterWindow();
    void SetIcon(HICON hIcon, WPARAM which);
    void SetIcon(UINT resourceId);
    // Resizes so that the client area has that size; -1 keeps a dimension.
    void ResizeClient(int width = -1, int height = -1);

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL ScreenToClient(POINT* pt) const;
    BOOL ScreenToClient(RECT* rc) const;
    BOOL ClientToScreen(POINT* pt) const;
    BOOL ClientToScreen(RECT* rc) const;
    HDC GetDC() const;
    int ReleaseDC(HDC hdc) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT interval, TIMERPROC callback = nullptr);
    BOOL KillTimer(UINT_PTR id);

    virtual const wchar_t* GetWindowClassName() const = 0;
    // Name of the system class to superclass; null for an own class.
    virtual const wchar_t* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return CS_HREDRAW | CS_VREDRAW; }
    // Default: the previous window procedure.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The last call for a window; a heap-allocated window typically deletes itself here.
    virtual void OnFinalMessage(HWND hWnd) {}

protected:
    // true also when the class already exists.
    bool RegisterWindowClass();
    bool RegisterSuperclass();

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_pfnOldWndProc = ::DefWindowProcW;
    bool m_bSubclassed = false;

    static HINSTANCE m_hInstance;

private:
    static LRESULT Dispatch(CNTWindow* self, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                            bool property);
};
