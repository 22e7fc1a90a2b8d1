#pragma once

#include <windows.h>

// Geometry of the capture window, kept free of window state so it can be tested directly.
// Every rectangle and point is in screen coordinates.

// Union of every attached display's current mode; false (and an empty rect) when none is found.
bool GetDisplaysBounds(RECT* bounds);

// The visible taskbar when it holds pt; otherwise the first visible top-level window at pt in
// z-order from first on, skipping exclude (the capture window itself). Null when none.
HWND FindWindowAtPoint(HWND first, POINT pt, HWND exclude);

// Handle squares of a selection: 1 top-left, 2 top, 3 top-right, 4 right, 5 bottom-right,
// 6 bottom, 7 bottom-left, 8 left; 6 x 6 around the handle point. Empty for other ids.
RECT CMGetHandleRect(const RECT& selection, int handle);
// The first handle whose square holds pt, or 0.
int CMHandleAt(const RECT& selection, POINT pt);
// The sizing cursor shown over a handle (IDC_SIZENWSE ...), null for other ids.
const wchar_t* CMHandleCursor(int handle);

// Moves the edges a handle names to pt; when that turns the rectangle inside out the edges are
// swapped and the handle continues as its mirror. Returns the handle to use from now on.
int CMResizeSelection(RECT* selection, int handle, POINT pt);

// Offsets the selection and keeps it on the screen: an edge pushed against the screen's edge
// stays there while the other keeps following, down to 32 pixels across.
void CMMoveSelection(RECT* selection, int dx, int dy, const RECT& screen);

// pt brought inside rc (right and bottom exclusive); rc itself when it is empty.
POINT CMClampPoint(POINT pt, const RECT& rc);

// Where the toolbar of that size goes for a selection: right-aligned 10 pixels below it, kept
// 40 pixels above the work area's bottom and inside its other edges (all in one coordinate
// system).
RECT CMPlaceToolbarRect(const RECT& selection, SIZE bar, const RECT& work);

// Where a drag from anchor towards pt ends with Shift held: a square (both sides as long as the
// shorter one), so it never reaches past where pt lies.
POINT CMConstrainSquare(POINT anchor, POINT pt);
// Where a drag from anchor towards pt ends with Shift held for a line: on the nearest multiple
// of 45 degrees, a diagonal as long as the shorter side.
POINT CMConstrainAngle45(POINT anchor, POINT pt);

// Moves the right edge by dx and the bottom edge by dy, inside the screen and never below the
// smallest selection (4 x 4 pixels).
void CMNudgeSelectionEdge(RECT* selection, int dx, int dy, const RECT& screen);

// Where the loupe of that size goes for the pointer: below and right of it, on the other side
// of the pointer where it would pass an edge of area, and never over the pointer itself.
RECT CMPlaceLoupe(POINT pointer, SIZE loupe, const RECT& area);
