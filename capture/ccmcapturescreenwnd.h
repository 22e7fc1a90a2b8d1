#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <vector>

#include "capture/ccmdocument.h"
#include "capture/comapartment.h"
#include "capture/dpiawareness.h"
#include "capture/gdiowner.h"
#include "capture/toolbar/ccmcaptureview.h"
#include "capture/toolbar/ccmoptionbar.h"
#include "capture/toolbar/ccmtoolbar.h"
#include "common/window/ntwindow.h"

class CCMDrawObj;
class CCMTextObj;

// Private messages of the capture window.
#define WM_CAPTURE_ACTION (WM_USER + 1)        // wParam 0 close, 1 complete, 2 reselect
#define WM_CAPTURE_MENUCMD (WM_USER + 2)       // wParam 1, lParam heap wchar_t* item name
#define WM_CAPTURE_MENUNOTIFY (WM_USER + 100)  // from the right-click menu, synchronous

// The full-screen capture window: it freezes the screen, lets the user pick and adjust a
// selection, routes drawing to the annotation objects, paints the overlay and hands the result
// out. Created on the heap by the export; it deletes itself when its window is gone.
class CCMCaptureScreenWnd : public CNTWindow, public ICMDocumentSite, public CCMCaptureView {
public:
    // The loupe: that many screen pixels across, each shown that many times larger, above a
    // text area of that height.
    static constexpr int kLoupeCells = 15;
    static constexpr int kLoupeZoom = 8;
    static constexpr int kLoupeTextHeight = 40;

    enum Mode {
        MODE_SELECTED = 0,
        MODE_SELECTING = 1,
        MODE_RESIZING = 2,
        MODE_MOVING = 3,
        MODE_DRAWING = 11,
        MODE_DRAGTEXT = 12,
    };

    CCMCaptureScreenWnd(HWND notifyWindow, UINT notifyMessage);
    ~CCMCaptureScreenWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"CCMCaptureScreenWnd"; }
    UINT GetClassStyle() const override { return CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

    // ICMDocumentSite
    HWND GetSiteWindow() const override { return m_hWnd; }
    RECT GetScreenRect() const override { return m_rcWindow; }
    RECT GetSelectionRect() const override { return m_rcSelection; }
    void InvalidateScreenRect(const RECT& rc) override;
    // New composed picture of rc (screen coordinates); see ICMDocumentSite.
    CMBitmapPtr ComposeImage(const RECT& rc, bool allObjects, const CCMDrawObj* stop) override;
    int GetOptionFontSize() const override { return m_optionBar.GetOptionFontSize(); }

    // CCMCaptureView: commands of the bars (also used by the menu and the keyboard).
    void PostCaptureAction(int action) override;
    // Asks for a file and writes the picture; false when the dialog was cancelled or the file
    // could not be written (the capture then stays open and the picture is not lost).
    bool SaveToFile() override;
    // Removes the newest object; the one before it becomes current.
    void UndoLast() override;
    // Brings back what the last undo took away, newest undone first; nothing when a new
    // annotation was drawn or the selection chosen again since.
    void RedoLast();
    void DeactivateCurrentObject() override;
    void ApplyMosaicBlock(int blockSize) override;
    void SetTextFontSize(int size) override;
    void SetTextColor(DWORD argb) override;

    // Puts the composed selection on the clipboard, notifies the client and closes. The capture
    // stays open and nobody is notified when the clipboard is busy, or when it refuses the
    // picture (the user is told then).
    void CompleteToClipboard();
    // Back to window snapping with no annotations; the selection stays until the next snap.
    void ResetSelection();
    // Whether a double click inside the selection, Enter or Ctrl+C finish the capture now.
    bool CanComplete() const;
    // Destroys the window; the object goes with it and no capture is current any more.
    void CloseCapture();
    // Holds the thread's DPI awareness switch until the capture ends.
    void KeepDpiAwareness(std::unique_ptr<CMThreadDpiAwareness> awareness) {
        m_dpiAwareness = std::move(awareness);
    }

    // State for the tests and the benchmark.
    int GetMode() const { return m_nMode; }
    int GetActiveHandle() const { return m_nHandle; }
    bool IsEditing() const { return m_bEditing; }
    const std::vector<std::unique_ptr<CCMDrawObj>>& GetObjects() const { return m_objects; }
    size_t GetRedoCount() const { return m_redo.size(); }
    CCMDrawObj* GetCurrentObject() const { return m_pCurrent; }
    HBITMAP GetSnapshot() const { return m_snapshot.get(); }
    CCMToolbar& GetToolbar() { return m_toolbar; }
    CCMOptionBar& GetOptionBar() { return m_optionBar; }
    // Where the loupe is shown (screen coordinates); empty when there is none.
    RECT GetLoupeRect() const { return m_rcLoupe; }

private:
    // creation and life (ccmcapturescreenwnd.cpp)
    LRESULT RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate();
    void GrabScreen();
    void DeleteAllObjects();
    // The current object when it is a text box, else null.
    CCMTextObj* CurrentText() const;
    LRESULT OnAction(WPARAM action);
    void OnRButtonMenu(POINT screen);
    LRESULT OnMenuNotify(WPARAM wParam, LPARAM lParam);
    void OnMenuCommand(const std::wstring& item);
    // input (capturewnd_input.cpp)
    LRESULT OnMouseMove(WPARAM keys, POINT client, bool& handled);
    LRESULT OnLButtonDown(POINT client, bool& handled);
    LRESULT OnLButtonUp(POINT client, bool& handled);
    LRESULT OnLButtonDblClk(POINT client, bool& handled);
    LRESULT OnRButtonUp(POINT client, bool& handled);
    LRESULT OnKeyDown(WPARAM key, bool& handled);
    // An arrow key outside a text box: moves the pointer before a selection is settled, then
    // the selection (with Shift its right or bottom edge) by one pixel, inside the screen.
    void OnArrowKey(WPARAM key, bool shift);
    void OnMouseMoveEditing(WPARAM keys);
    void OnMouseMoveSelecting();
    void PressWhileEditing(POINT pt, bool& handled);
    void BeginObject(POINT pt);
    void FinishDrawing();
    // The end of the drawing drag at pt with Shift held: square, round or at 45 degrees.
    POINT ConstrainedEnd(POINT pt) const;
    void SetSelectionCursor(POINT pt);
    bool IsToolSelected() const;
    POINT ToScreen(POINT client) const;
    // painting (capturewnd_paint.cpp)
    void OnPaint();
    void PaintPart(HDC target, const RECT& clip);
    // The selection's border and, once it is settled, its handles (dc's pixel (0, 0) is the
    // screen point origin).
    void PaintFrame(HDC dc, POINT origin);
    // The annotations that reach into client (client coordinates), oldest first: those before
    // stop, mosaics only when allObjects.
    std::vector<CCMDrawObj*> ObjectsOver(const RECT& client, bool allObjects,
                                         const CCMDrawObj* stop) const;
    // The snapshot with objects over clip (client coordinates), drawn into dc whose pixel
    // (0, 0) is the client point dcOrigin; nothing outside clip is touched.
    void DrawScene(HDC dc, POINT dcOrigin, const RECT& clip,
                   const std::vector<CCMDrawObj*>& objects);
    // Brings the scene copy up to date over clip (client coordinates); false when there is no
    // copy (no memory for it), and the scene must be drawn where it is needed.
    bool UpdateScene(const RECT& clip);
    // What of the scene copy an annotation change makes out of date; null: all of it.
    void MarkSceneChanged(const RECT* client);
    // The size label's GDI+ font (face of the module's label font, 9 points).
    const Gdiplus::Font& LabelFont();
    // Repaints that screen area where only the selection's shade, border, handles or size
    // label changed; annotation changes go through InvalidateScreenRect.
    void RepaintScreenRect(const RECT& rc);
    void InvalidateSelection();
    // Invalidates what changes between the selection before and the current one.
    void InvalidateSelectionChange(const RECT& before);
    void InvalidateObject(CCMDrawObj* object);
    // The loupe beside the pointer while the selection is chosen; repaints its old and new place.
    void UpdateLoupe();
    // Paints the loupe into dc, whose pixel (0, 0) is the screen point origin.
    void PaintLoupe(HDC dc, POINT origin);
    // placement of the bars (capturewnd_placement.cpp)
    void PlaceToolbar();
    void HideBars();

    // The thread's awareness before the capture comes back after everything else is gone.
    std::unique_ptr<CMThreadDpiAwareness> m_dpiAwareness;
    // Next, so COM outlives everything else of the capture on its thread.
    CMComApartment m_com;
    POINT m_ptDown = {};
    POINT m_ptCurrent = {};
    POINT m_ptPrevious = {};
    CMBitmapPtr m_snapshot;
    CMBitmapPtr m_dimmed;  // the snapshot under the shade shown outside the selection
    // The snapshot with the annotations drawn on it, kept so that a repaint, or the picture
    // handed out, copies it instead of drawing every annotation again. Every annotation
    // change is invalidated through InvalidateScreenRect, which marks that part out of date.
    CMBitmapPtr m_scene;
    CMRegionPtr m_sceneStale;
    std::unique_ptr<Gdiplus::Font> m_labelFont;
    HCURSOR m_hCross = nullptr;
    bool m_bEditing = false;
    int m_nMode = MODE_SELECTING;
    int m_nHandle = 0;
    bool m_bButtonDown = false;
    RECT m_rcSelection = {};
    RECT m_rcLoupe = {};
    POINT m_ptLoupe = {};  // the screen pixel the loupe shows
    CCMToolbar m_toolbar;
    CCMOptionBar m_optionBar;
    UINT m_nNotifyMessage;
    HWND m_hNotifyWindow;
    RECT m_rcWindow = {};
    CCMDrawObj* m_pCurrent = nullptr;
    std::unique_ptr<CCMDocument> m_document;
    std::vector<std::unique_ptr<CCMDrawObj>> m_objects;
    // What undo took away, the newest undone last.
    std::vector<std::unique_ptr<CCMDrawObj>> m_redo;
};
