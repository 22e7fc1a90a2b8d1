#include "capture/capturegeometry.h"

#include <algorithm>
#include <cstdlib>

bool GetDisplaysBounds(RECT* bounds) {
    RECT result = {};
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof(device);
    for (DWORD index = 0; ::EnumDisplayDevicesW(nullptr, index, &device, 0); ++index) {
        DEVMODEW mode = {};
        mode.dmSize = sizeof(mode);
        if (::EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) {
            RECT display = {mode.dmPosition.x, mode.dmPosition.y,
                            mode.dmPosition.x + static_cast<LONG>(mode.dmPelsWidth),
                            mode.dmPosition.y + static_cast<LONG>(mode.dmPelsHeight)};
            if (!::IsRectEmpty(&display)) ::UnionRect(&result, &result, &display);
        }
        device = {};
        device.cb = sizeof(device);
    }
    *bounds = result;
    return !::IsRectEmpty(&result);
}

HWND FindWindowAtPoint(HWND first, POINT pt, HWND exclude) {
    RECT rc;
    // Any visible taskbar: a hidden one (a shell's tray stand-in) may come first.
    for (HWND bar = ::FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr); bar;
         bar = ::FindWindowExW(nullptr, bar, L"Shell_TrayWnd", nullptr)) {
        if (::IsWindowVisible(bar) && ::GetWindowRect(bar, &rc) && ::PtInRect(&rc, pt)) return bar;
    }
    for (HWND wnd = first; wnd; wnd = ::GetWindow(wnd, GW_HWNDNEXT)) {
        if (wnd == exclude || !::IsWindowVisible(wnd)) continue;
        if (::GetWindowRect(wnd, &rc) && ::PtInRect(&rc, pt)) return wnd;
    }
    return nullptr;
}

RECT CMGetHandleRect(const RECT& s, int handle) {
    LONG cx = s.left + (s.right - s.left) / 2, cy = s.top + (s.bottom - s.top) / 2;
    POINT at;
    switch (handle) {
        case 1:
            at = {s.left, s.top};
            break;
        case 2:
            at = {cx, s.top};
            break;
        case 3:
            at = {s.right, s.top};
            break;
        case 4:
            at = {s.right, cy};
            break;
        case 5:
            at = {s.right, s.bottom};
            break;
        case 6:
            at = {cx, s.bottom};
            break;
        case 7:
            at = {s.left, s.bottom};
            break;
        case 8:
            at = {s.left, cy};
            break;
        default:
            return RECT{};
    }
    return RECT{at.x - 3, at.y - 3, at.x + 3, at.y + 3};
}

int CMHandleAt(const RECT& selection, POINT pt) {
    for (int handle = 1; handle <= 8; ++handle) {
        RECT rc = CMGetHandleRect(selection, handle);
        if (::PtInRect(&rc, pt)) return handle;
    }
    return 0;
}

const wchar_t* CMHandleCursor(int handle) {
    switch (handle) {
        case 1:
        case 5:
            return IDC_SIZENWSE;
        case 2:
        case 6:
            return IDC_SIZENS;
        case 3:
        case 7:
            return IDC_SIZENESW;
        case 4:
        case 8:
            return IDC_SIZEWE;
        default:
            return nullptr;
    }
}

int CMResizeSelection(RECT* s, int handle, POINT pt) {
    if (handle == 1 || handle == 7 || handle == 8) s->left = pt.x;
    if (handle == 3 || handle == 4 || handle == 5) s->right = pt.x;
    if (handle == 1 || handle == 2 || handle == 3) s->top = pt.y;
    if (handle == 5 || handle == 6 || handle == 7) s->bottom = pt.y;
    if (s->right < s->left) {
        std::swap(s->left, s->right);
        static const int mirror[9] = {0, 3, 2, 1, 8, 7, 6, 5, 4};
        if (handle >= 1 && handle <= 8) handle = mirror[handle];
    }
    if (s->bottom < s->top) {
        std::swap(s->top, s->bottom);
        static const int mirror[9] = {0, 7, 6, 5, 4, 3, 2, 1, 8};
        if (handle >= 1 && handle <= 8) handle = mirror[handle];
    }
    return handle;
}

void CMMoveSelection(RECT* s, int dx, int dy, const RECT& screen) {
    const LONG kMinimum = 32;
    ::OffsetRect(s, dx, dy);
    if (s->left < screen.left) {
        s->left = screen.left;
        if (s->right - s->left < kMinimum) s->right = s->left + kMinimum;
    }
    if (s->top < screen.top) {
        s->top = screen.top;
        if (s->bottom - s->top < kMinimum) s->bottom = s->top + kMinimum;
    }
    if (s->right > screen.right) {
        s->right = screen.right;
        if (s->right - s->left < kMinimum) s->left = s->right - kMinimum;
    }
    if (s->bottom > screen.bottom) {
        s->bottom = screen.bottom;
        if (s->bottom - s->top < kMinimum) s->top = s->bottom - kMinimum;
    }
}

POINT CMClampPoint(POINT pt, const RECT& rc) {
    if (::IsRectEmpty(&rc)) return POINT{rc.left, rc.top};
    return POINT{std::clamp(pt.x, rc.left, rc.right - 1), std::clamp(pt.y, rc.top, rc.bottom - 1)};
}

RECT CMPlaceToolbarRect(const RECT& selection, SIZE bar, const RECT& work) {
    RECT rc = {selection.right - bar.cx, selection.bottom + 10, selection.right,
               selection.bottom + 10 + bar.cy};
    if (rc.bottom > work.bottom - 40) ::OffsetRect(&rc, 0, work.bottom - 40 - rc.bottom);
    if (rc.top < work.top) ::OffsetRect(&rc, 0, work.top - rc.top);
    if (rc.right > work.right) ::OffsetRect(&rc, work.right - rc.right, 0);
    if (rc.left < work.left) ::OffsetRect(&rc, work.left - rc.left, 0);
    return rc;
}

POINT CMConstrainSquare(POINT anchor, POINT pt) {
    const int dx = pt.x - anchor.x, dy = pt.y - anchor.y;
    const int side = std::min(std::abs(dx), std::abs(dy));
    return POINT{anchor.x + (dx < 0 ? -side : side), anchor.y + (dy < 0 ? -side : side)};
}

POINT CMConstrainAngle45(POINT anchor, POINT pt) {
    const int dx = pt.x - anchor.x, dy = pt.y - anchor.y;
    const int ax = std::abs(dx), ay = std::abs(dy);
    // tan(22.5 degrees) ~ 0.4142 divides the snapping sectors.
    if (static_cast<long long>(ay) * 10000 <= static_cast<long long>(ax) * 4142)
        return POINT{pt.x, anchor.y};
    if (static_cast<long long>(ax) * 10000 <= static_cast<long long>(ay) * 4142)
        return POINT{anchor.x, pt.y};
    return CMConstrainSquare(anchor, pt);
}

void CMNudgeSelectionEdge(RECT* selection, int dx, int dy, const RECT& screen) {
    constexpr int kMinSide = 4;
    selection->right =
        std::max(selection->left + kMinSide, std::min<LONG>(selection->right + dx, screen.right));
    selection->bottom =
        std::max(selection->top + kMinSide, std::min<LONG>(selection->bottom + dy, screen.bottom));
}

RECT CMPlaceLoupe(POINT pointer, SIZE loupe, const RECT& area) {
    // Far enough from the pointer that the cursor's own picture stays clear of it.
    constexpr LONG kGap = 20;
    LONG left = pointer.x + kGap, top = pointer.y + kGap;
    if (left + loupe.cx > area.right) left = pointer.x - kGap - loupe.cx;
    if (top + loupe.cy > area.bottom) top = pointer.y - kGap - loupe.cy;
    // An area too small for either side keeps the loupe on it, beside the pointer's column.
    if (left < area.left) left = std::min<LONG>(area.left, area.right - loupe.cx);
    if (top < area.top) top = std::min<LONG>(area.top, area.bottom - loupe.cy);
    return RECT{left, top, left + loupe.cx, top + loupe.cy};
}
