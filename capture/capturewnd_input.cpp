// Mouse and keyboard of the capture window: snapping, the rubber band, handles, moving, drawing
// and the keys. Every point is taken in screen coordinates.
#include "capture/capturegeometry.h"
#include "capture/ccmcapturescreenwnd.h"
#include "capture/objects/ccmdrawobj.h"
#include "capture/objects/ccmshapeobj.h"
#include "capture/objects/ccmtooltable.h"
#include "capture/text/ccmtextobj.h"

POINT CCMCaptureScreenWnd::ToScreen(POINT client) const {
    return POINT{client.x + m_rcWindow.left, client.y + m_rcWindow.top};
}

bool CCMCaptureScreenWnd::IsToolSelected() const { return m_toolbar.GetCurrentTool() != TOOL_NONE; }

LRESULT CCMCaptureScreenWnd::OnMouseMove(WPARAM keys, POINT client, bool& handled) {
    m_ptPrevious = m_ptCurrent;
    m_ptCurrent = ToScreen(client);
    if (m_bEditing) {
        OnMouseMoveEditing(keys);
        // The active object (a text box) sees the move too.
        handled = false;
        return 0;
    }
    OnMouseMoveSelecting();
    return 0;
}

void CCMCaptureScreenWnd::OnMouseMoveEditing(WPARAM keys) {
    POINT clamped = CMClampPoint(m_ptCurrent, m_rcSelection);
    POINT previous = CMClampPoint(m_ptPrevious, m_rcSelection);
    if (m_nMode == MODE_DRAWING && m_nHandle && m_pCurrent) {
        if (keys & MK_SHIFT) clamped = ConstrainedEnd(clamped);
        InvalidateObject(m_pCurrent);
        if (!m_pCurrent->IsPointShape() || !m_pCurrent->AddsPointsWhileDragging() ||
            !(keys & MK_LBUTTON)) {
            m_pCurrent->MoveHandle(m_nHandle, clamped);
        } else if ((clamped.x != previous.x || clamped.y != previous.y) &&
                   m_pCurrent->AcceptsPoint(clamped)) {
            m_nHandle = m_pCurrent->AddPoint(clamped);
        }
        InvalidateObject(m_pCurrent);
    } else if (m_nMode == MODE_DRAGTEXT && m_pCurrent) {
        InvalidateObject(m_pCurrent);
        m_pCurrent->Offset(clamped.x - previous.x, clamped.y - previous.y);
        // Back inside the selection; a right or bottom overrun wins over a left or top one.
        Gdiplus::Rect box = m_pCurrent->GetNormalRect();
        int dx = 0, dy = 0;
        if (box.X < m_rcSelection.left) dx = m_rcSelection.left - box.X;
        if (box.Y < m_rcSelection.top) dy = m_rcSelection.top - box.Y;
        if (box.GetRight() > m_rcSelection.right) dx = m_rcSelection.right - box.GetRight();
        if (box.GetBottom() > m_rcSelection.bottom) dy = m_rcSelection.bottom - box.GetBottom();
        if (dx || dy) m_pCurrent->Offset(dx, dy);
        InvalidateObject(m_pCurrent);
    }
    bool cross =
        (::PtInRect(&m_rcSelection, m_ptCurrent) && IsToolSelected()) || m_nMode == MODE_DRAWING;
    HCURSOR cursor = cross && m_hCross ? m_hCross : ::LoadCursorW(nullptr, IDC_ARROW);
    if (m_pCurrent) {
        if (HCURSOR own = m_pCurrent->GetCursorAt(clamped)) cursor = own;
    }
    ::SetCursor(cursor);
}

POINT CCMCaptureScreenWnd::ConstrainedEnd(POINT pt) const {
    if (!m_pCurrent->IsKindOf(L"CCMShapeObj")) return pt;
    // Rectangles, ellipses and arrows are dragged out from where the button went down.
    POINT anchor = CMClampPoint(m_ptDown, m_rcSelection);
    switch (static_cast<const CCMShapeObj*>(m_pCurrent)->GetKind()) {
        case SHAPE_RECTANGLE:
        case SHAPE_ELLIPSE:
            return CMConstrainSquare(anchor, pt);
        case SHAPE_ARROW:
            return CMConstrainAngle45(anchor, pt);
        default:
            return pt;
    }
}

void CCMCaptureScreenWnd::OnMouseMoveSelecting() {
    if (m_nMode == MODE_SELECTING && m_bButtonDown) {
        if (m_ptCurrent.x != m_ptDown.x || m_ptCurrent.y != m_ptDown.y) {
            // The rubber band grows with handle 5 from where the button went down, so the
            // pixels between the press and the first reported move are not lost.
            RECT before = m_rcSelection;
            m_rcSelection = RECT{m_ptDown.x, m_ptDown.y, m_ptDown.x, m_ptDown.y};
            m_nHandle = CMResizeSelection(&m_rcSelection, 5, m_ptCurrent);
            m_nMode = MODE_RESIZING;
            InvalidateSelectionChange(before);
        }
    } else if (m_nMode == MODE_SELECTING) {
        RECT candidate = m_rcWindow;
        HWND first = ::GetWindow(::GetDesktopWindow(), GW_CHILD);
        if (HWND found = FindWindowAtPoint(first, m_ptCurrent, m_hWnd)) {
            RECT rc;
            ::GetWindowRect(found, &rc);
            ::IntersectRect(&candidate, &rc, &m_rcWindow);
        }
        RECT before = m_rcSelection;
        m_rcSelection = candidate;
        InvalidateSelectionChange(before);
    } else if (m_nMode == MODE_RESIZING) {
        RECT before = m_rcSelection;
        m_nHandle = CMResizeSelection(&m_rcSelection, m_nHandle, m_ptCurrent);
        InvalidateSelectionChange(before);
    } else if (m_nMode == MODE_MOVING) {
        RECT before = m_rcSelection;
        CMMoveSelection(&m_rcSelection, m_ptCurrent.x - m_ptPrevious.x,
                        m_ptCurrent.y - m_ptPrevious.y, m_rcWindow);
        InvalidateSelectionChange(before);
    }
    SetSelectionCursor(m_ptCurrent);
    UpdateLoupe();
}

void CCMCaptureScreenWnd::SetSelectionCursor(POINT pt) {
    switch (m_nMode) {
        case MODE_SELECTED:
        case MODE_RESIZING: {
            const wchar_t* handleCursor = CMHandleCursor(CMHandleAt(m_rcSelection, pt));
            bool inside = ::PtInRect(&m_rcSelection, pt) != FALSE;
            if (m_nMode == MODE_RESIZING || !inside) {
                if (handleCursor) ::SetCursor(::LoadCursorW(nullptr, handleCursor));
            } else if (IsToolSelected() && m_hCross) {
                ::SetCursor(m_hCross);
            } else {
                ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
            }
            break;
        }
        case MODE_MOVING:
            ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
            break;
        case MODE_SELECTING:
            if (m_hCross) ::SetCursor(m_hCross);
            break;
    }
}

LRESULT CCMCaptureScreenWnd::OnLButtonDown(POINT client, bool& handled) {
    m_bButtonDown = true;
    m_ptDown = m_ptCurrent = m_ptPrevious = ToScreen(client);
    ::SetCapture(m_hWnd);
    if (!m_bEditing && m_nMode == MODE_SELECTED) {
        if (int handle = CMHandleAt(m_rcSelection, m_ptDown)) {
            m_nHandle = handle;
            m_nMode = MODE_RESIZING;
        } else if (::PtInRect(&m_rcSelection, m_ptDown)) {
            if (IsToolSelected()) {
                m_bEditing = true;
                m_nMode = MODE_DRAWING;
            } else {
                m_nMode = MODE_MOVING;
            }
        }
        if (m_nMode == MODE_RESIZING || m_nMode == MODE_MOVING) HideBars();
        UpdateLoupe();
    }
    if (m_bEditing) PressWhileEditing(m_ptDown, handled);
    return 0;
}

void CCMCaptureScreenWnd::PressWhileEditing(POINT pt, bool& handled) {
    if (m_nMode == MODE_SELECTED) {
        // The press also reaches the current object (a text box places its caret).
        handled = false;
        if (!::PtInRect(&m_rcSelection, pt)) return;
        bool text = m_pCurrent && m_pCurrent->IsKindOf(L"CCMTextObj");
        if (text) {
            RECT dot = {pt.x, pt.y, pt.x + 1, pt.y + 1};
            if (m_pCurrent->Intersects(dot)) {
                if (m_pCurrent->HitTest(CMClampPoint(pt, m_rcSelection)) == -2)
                    m_nMode = MODE_DRAGTEXT;
                return;
            }
            // A press beside the text box commits it and starts nothing else.
            DeactivateCurrentObject();
            return;
        }
        if (IsToolSelected()) m_nMode = MODE_DRAWING;
    }
    if (m_nMode == MODE_DRAWING) BeginObject(pt);
}

void CCMCaptureScreenWnd::BeginObject(POINT pt) {
    DeactivateCurrentObject();
    int tool = m_toolbar.GetCurrentTool();
    std::unique_ptr<CCMDrawObj> object;
    if (tool >= TOOL_RECTANGLE && tool <= TOOL_MOSAIC) {
        auto shape = std::make_unique<CCMShapeObj>(m_document.get(), tool - 1, pt.x, pt.y, 0, 0);
        shape->SetColor(m_optionBar.GetOptionColor());
        shape->SetWidth(m_optionBar.GetOptionWidth());
        if (tool == TOOL_MOSAIC) shape->SetBlockSize(m_optionBar.GetMosaicFuzziness());
        object = std::move(shape);
    } else if (tool == TOOL_TEXT) {
        auto text = std::make_unique<CCMTextObj>(m_document.get(), pt.x, pt.y, 100, 50);
        text->SetColor(m_optionBar.GetOptionColor());
        text->SetFontSize(m_optionBar.GetOptionFontSize());
        text->CreateHost();
        text->Activate();
        // A text box is typed into, not dragged out.
        m_nMode = MODE_SELECTED;
        object = std::move(text);
    } else {
        m_nMode = MODE_SELECTED;
        return;
    }
    m_nHandle = 1;
    if (object->IsPointShape()) {
        object->AddPoint(pt);
        m_nHandle = object->AddPoint(pt);
    }
    m_objects.push_back(std::move(object));
    m_redo.clear();
    m_pCurrent = m_objects.back().get();
    InvalidateObject(m_pCurrent);
}

LRESULT CCMCaptureScreenWnd::OnLButtonUp(POINT client, bool& handled) {
    if (!m_bButtonDown) return 0;
    m_bButtonDown = false;
    ::ReleaseCapture();
    if (!m_bEditing) {
        if (m_nMode != MODE_SELECTING && m_nMode != MODE_RESIZING && m_nMode != MODE_MOVING)
            return 0;
        // Too small to be meant: the band keeps following the pointer.
        if (m_rcSelection.right - m_rcSelection.left < 4 ||
            m_rcSelection.bottom - m_rcSelection.top < 4)
            return 0;
        m_nMode = MODE_SELECTED;
        m_nHandle = 0;
        PlaceToolbar();
        InvalidateSelection();
        UpdateLoupe();
        return 0;
    }
    if (m_nMode == MODE_DRAWING) {
        FinishDrawing();
    } else if (m_nMode == MODE_DRAGTEXT) {
        m_nMode = MODE_SELECTED;
    } else if (m_nMode == MODE_SELECTED && m_pCurrent) {
        handled = false;
    }
    return 0;
}

void CCMCaptureScreenWnd::FinishDrawing() {
    if (!m_pCurrent || m_nMode != MODE_DRAWING) return;
    if (!m_pCurrent->IsPointShape()) {
        m_pCurrent->Normalize();
        if (!m_pCurrent->IsValid()) m_pCurrent->SetDefaultSize();
    } else if (m_pCurrent->IsValid()) {
        m_pCurrent->UpdateBoundsFromPoints();
        // A finished mosaic never changes (what lies under it is older and stays), so it is
        // pixelated once here instead of being composed again on every paint.
        if (m_pCurrent->IsKindOf(L"CCMShapeObj") &&
            static_cast<CCMShapeObj*>(m_pCurrent)->GetKind() == SHAPE_MOSAIC)
            static_cast<CCMShapeObj*>(m_pCurrent)->RenderCache();
    }
    InvalidateObject(m_pCurrent);
    m_nMode = MODE_SELECTED;
}

bool CCMCaptureScreenWnd::CanComplete() const {
    return m_rcSelection.right - m_rcSelection.left > 3 &&
           m_rcSelection.bottom - m_rcSelection.top > 3;
}

LRESULT CCMCaptureScreenWnd::OnLButtonDblClk(POINT client, bool& handled) {
    POINT pt = ToScreen(client);
    if (::PtInRect(&m_rcSelection, pt) && CanComplete()) {
        CompleteToClipboard();
        return 0;
    }
    handled = false;
    return 0;
}

LRESULT CCMCaptureScreenWnd::OnRButtonUp(POINT client, bool& handled) {
    POINT pt = ToScreen(client);
    bool inside = ::PtInRect(&m_rcSelection, pt) != FALSE;
    if (!m_bEditing) {
        if (m_nMode == MODE_SELECTING) {
            CloseCapture();
            return 0;
        }
        if (!inside) {
            ResetSelection();
            return 0;
        }
    }
    if (inside) OnRButtonMenu(pt);
    return 0;
}

LRESULT CCMCaptureScreenWnd::OnKeyDown(WPARAM key, bool& handled) {
    const bool control = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool redo = control && (key == 'Y' || (key == 'Z' && shift));
    // A text box being typed into gets every other key.
    const bool typing = m_pCurrent && m_pCurrent->IsActive() && CurrentText();
    if (key == VK_ESCAPE) {
        CloseCapture();
    } else if (key == 'S' && control) {
        if (SaveToFile()) PostCaptureAction(0);
    } else if (redo) {
        // Like undo, redo reaches past a text box while there is something to bring back.
        if (typing && m_redo.empty()) handled = false;
        RedoLast();
    } else if (key == 'Z' && control) {
        UndoLast();
    } else if (typing) {
        handled = false;
    } else if ((key == VK_RETURN || (key == 'C' && control)) && !m_bButtonDown) {
        if (CanComplete()) CompleteToClipboard();
    } else if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
        OnArrowKey(key, shift);
    } else {
        handled = false;
    }
    return 0;
}

void CCMCaptureScreenWnd::OnArrowKey(WPARAM key, bool shift) {
    const int dx = key == VK_LEFT ? -1 : key == VK_RIGHT ? 1 : 0;
    const int dy = key == VK_UP ? -1 : key == VK_DOWN ? 1 : 0;
    if (m_nMode != MODE_SELECTED) {
        // Choosing: the pointer moves, and snapping, the band or the handle follow it.
        POINT pointer;
        if (::GetCursorPos(&pointer)) ::SetCursorPos(pointer.x + dx, pointer.y + dy);
        return;
    }
    // Annotations belong to the selection they were drawn in, so it stays as it is then, as it
    // does for a drag.
    if (m_bEditing) return;
    RECT before = m_rcSelection;
    if (shift) {
        CMNudgeSelectionEdge(&m_rcSelection, dx, dy, m_rcWindow);
    } else {
        // A step that would leave the screen is not taken (a drag would shrink the selection).
        RECT moved = m_rcSelection;
        ::OffsetRect(&moved, dx, dy);
        RECT inside;
        if (::IntersectRect(&inside, &moved, &m_rcWindow) && ::EqualRect(&inside, &moved))
            m_rcSelection = moved;
    }
    if (::EqualRect(&before, &m_rcSelection)) return;
    InvalidateSelectionChange(before);
    PlaceToolbar();
}
