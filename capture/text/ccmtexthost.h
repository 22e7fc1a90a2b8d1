#pragma once

#include <windows.h>
#include <richedit.h>
#include <textserv.h>

#include "capture/text/ccmtexthostowner.h"

// Windowless host of the system's rich-text services ("msftedit.dll"). The text services keep
// the text, caret, selection and undo; the host answers their questions (formats, rectangle,
// device context) and carries out their requests on the owner's window.
//
// Coordinates: the layout rectangle is kept in screen coordinates like every annotation, but
// the text services see client coordinates of the owner's window (mouse messages, caret,
// invalidation arrive in those), so every rectangle is converted here, at the boundary.
//
// Calling convention: on 32-bit x86 the text services call ITextHost methods and expect their
// own ITextServices methods to be called as thiscall (this in ECX); only the IUnknown methods are
// stdcall. textserv.h declares both interfaces' methods without a convention, which the 32-bit
// compiler makes thiscall for member functions, so this one declaration serves both builds.
//
// Reference counted; the owner holds one reference and Release deletes the host at zero.
class CCMTextHost : public ITextHost {
public:
    explicit CCMTextHost(CCMTextHostOwner* owner);
    CCMTextHost(const CCMTextHost&) = delete;
    CCMTextHost& operator=(const CCMTextHost&) = delete;

    // Builds the default formats, creates the text services on hdc (kept for measuring, never
    // released) and sets the initial text. False when "msftedit.dll", its CreateTextServices or
    // ITextServices is missing, or the initial text is refused.
    bool Init(HDC hdc, const CCMTextDefaults& defaults);

    // Null until Init succeeded.
    ITextServices* GetTextServices() const { return m_services; }
    // Forwards one message; E_FAIL without text services.
    HRESULT SendToServices(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Layout rectangle in screen coordinates; the services are told the extent changed.
    void SetClientRect(const RECT& rcScreen);
    const RECT& GetLayoutRect() const { return m_rcLayout; }
    // The layout rectangle in the window's client coordinates, as the services see it.
    RECT GetClientLayoutRect() const;

    // Transparent background on or off; the services are told.
    void SetTransparent(bool transparent);
    // Marks the host in-place active and tells the services; the mark is cleared again when
    // they refuse. The services' result.
    HRESULT InPlaceActivate();
    bool IsInPlaceActive() const { return m_inPlaceActive; }
    bool HasMouseCapture() const { return m_mouseCaptured; }
    bool IsTimerRunning() const { return m_timerRunning; }

    // New size (points) or colour (ARGB, alpha dropped) for the whole text.
    void SetTextFontSize(int points);
    void SetTextColor(DWORD argb);
    const CHARFORMAT2W& GetDefaultCharFormat() const { return m_charFormat; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    WINBOOL TxShowScrollBar(INT bar, WINBOOL show) override;
    WINBOOL TxEnableScrollBar(INT flags, INT arrows) override;
    WINBOOL TxSetScrollRange(INT bar, LONG minPos, INT maxPos, WINBOOL redraw) override;
    WINBOOL TxSetScrollPos(INT bar, INT pos, WINBOOL redraw) override;
    void TxInvalidateRect(LPCRECT rc, WINBOOL mode) override;
    void TxViewChange(WINBOOL update) override;
    WINBOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
    WINBOOL TxShowCaret(WINBOOL show) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT id, UINT timeout) override;
    void TxKillTimer(UINT id) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN update,
                          LPRECT updateRect, UINT flags) override;
    void TxSetCapture(WINBOOL capture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR cursor, WINBOOL text) override;
    WINBOOL TxScreenToClient(LPPOINT pt) override;
    WINBOOL TxClientToScreen(LPPOINT pt) override;
    HRESULT TxActivate(LONG* oldState) override;
    HRESULT TxDeactivate(LONG newState) override;
    HRESULT TxGetClientRect(LPRECT rc) override;
    HRESULT TxGetViewInset(LPRECT rc) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
    COLORREF TxGetSysColor(int index) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
    HRESULT TxGetMaxLength(DWORD* length) override;
    HRESULT TxGetScrollBars(DWORD* scrollBars) override;
    HRESULT TxGetPasswordChar(TCHAR* ch) override;
    HRESULT TxGetAcceleratorPos(LONG* pos) override;
    HRESULT TxGetExtent(LPSIZEL extent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
    HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
    HRESULT TxNotify(DWORD code, void* data) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC himc) override;
    HRESULT TxGetSelectionBarWidth(LONG* width) override;

private:
    // Only Release deletes: the services are deactivated and released first.
    virtual ~CCMTextHost();
    // Applies a changed default character format to the services and to all text.
    void ApplyCharFormat(DWORD mask);

    ULONG m_refs = 1;
    ITextServices* m_services = nullptr;
    DWORD m_style = ES_MULTILINE | ES_AUTOVSCROLL;
    CCMTextHostOwner* m_owner;
    bool m_autoWordSelect = false;
    bool m_wordWrap = true;
    bool m_allowBeep = false;
    bool m_rich = true;
    bool m_saveSelection = false;
    bool m_inPlaceActive = false;
    bool m_transparent = false;
    bool m_timerRunning = false;
    bool m_mouseCaptured = false;
    LONG m_selBarWidth = 0;
    LONG m_maxLength = 0x7FFF;
    RECT m_rcLayout = {};
    SIZEL m_extent = {};  // HIMETRIC
    CHARFORMAT2W m_charFormat = {};
    PARAFORMAT2 m_paraFormat = {};
    LONG m_acceleratorPos = -1;
    WCHAR m_passwordChar = 0;
    HDC m_hdc = nullptr;
};
