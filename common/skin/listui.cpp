#include "common/skin/listui.h"

#include <algorithm>

#include "common/skin/paintmanagerui.h"
#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

namespace {

constexpr int kBarWidth = 8;
constexpr int kMinThumb = 20;
constexpr int kCellPadding = 8;
// Rows moved by one notch of the wheel.
constexpr int kWheelRows = 3;

bool Inside(const RECT& rc, POINT pt) { return ::PtInRect(&rc, pt) != FALSE; }

}  // namespace

CListUI::CListUI() { m_bkColor = 0xFFFFFFFF; }

const wchar_t* CListUI::GetClass() const { return L"List"; }

void CListUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    int number;
    DWORD color;
    if (n == L"columns") {
        m_columns.clear();
        std::wstring columnList = value;
        size_t start = 0;
        while (start <= columnList.size()) {
            size_t end = columnList.find(L';', start);
            if (end == std::wstring::npos) end = columnList.size();
            std::wstring item = columnList.substr(start, end - start);
            size_t comma = item.rfind(L',');
            int width = 0;
            if (comma != std::wstring::npos && UIParseInt(item.substr(comma + 1).c_str(), width))
                item.resize(comma);
            if (!item.empty()) AddColumn(item, std::max(0, width));
            start = end + 1;
        }
    } else if (n == L"itemheight") {
        if (UIParseInt(value, number) && number > 0) m_itemHeight = number;
    } else if (n == L"headerheight") {
        if (UIParseInt(value, number) && number >= 0) m_headerHeight = number;
    } else if (n == L"headerbkcolor") {
        if (UIParseColor(value, color)) m_headerBkColor = color;
    } else if (n == L"headertextcolor") {
        if (UIParseColor(value, color)) m_headerTextColor = color;
    } else if (n == L"linecolor") {
        if (UIParseColor(value, color)) m_lineColor = color;
    } else if (n == L"selectedbkcolor") {
        if (UIParseColor(value, color)) m_selectedBkColor = color;
    } else if (n == L"thumbcolor") {
        if (UIParseColor(value, color)) m_thumbColor = color;
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CListUI::AddColumn(const std::wstring& title, int width) {
    m_columns.push_back(Column{title, width});
    Invalidate();
}

size_t CListUI::AddRow(std::vector<std::wstring> cells) {
    cells.resize(m_columns.size());
    m_rows.push_back(Row{std::move(cells), 0});
    Invalidate();
    return m_rows.size() - 1;
}

void CListUI::RemoveAllRows() {
    m_rows.clear();
    m_top = 0;
    m_selected = -1;
    m_dragging = false;
    Invalidate();
}

std::wstring CListUI::GetCell(size_t row, size_t column) const {
    if (row >= m_rows.size() || column >= m_rows[row].cells.size()) return std::wstring();
    return m_rows[row].cells[column];
}

void CListUI::SetCell(size_t row, size_t column, const std::wstring& text) {
    if (row >= m_rows.size() || column >= m_rows[row].cells.size()) return;
    m_rows[row].cells[column] = text;
    Invalidate();
}

void CListUI::SetRowTextColor(size_t row, DWORD argb) {
    if (row >= m_rows.size()) return;
    m_rows[row].textColor = argb;
    Invalidate();
}

void CListUI::SelectRow(int row) {
    if (m_rows.empty() || row < 0) {
        row = -1;
    } else {
        row = std::min(row, static_cast<int>(m_rows.size()) - 1);
        EnsureVisible(static_cast<size_t>(row));
    }
    if (row == m_selected) return;
    m_selected = row;
    Invalidate();
    if (m_manager) m_manager->SendNotify(this, kNotifyItemSelect, static_cast<WPARAM>(row));
}

RECT CListUI::RowsRect() const {
    return RECT{m_rcItem.left, m_rcItem.top + m_headerHeight, m_rcItem.right, m_rcItem.bottom};
}

size_t CListUI::GetPageRows() const {
    RECT rows = RowsRect();
    return static_cast<size_t>(std::max(1L, (rows.bottom - rows.top) / m_itemHeight));
}

size_t CListUI::MaxTop() const {
    size_t page = GetPageRows();
    return m_rows.size() > page ? m_rows.size() - page : 0;
}

void CListUI::ScrollTo(size_t top) {
    top = std::min(top, MaxTop());
    if (top == m_top) return;
    m_top = top;
    Invalidate();
}

void CListUI::EnsureVisible(size_t row) {
    if (row < m_top)
        ScrollTo(row);
    else if (row >= m_top + GetPageRows())
        ScrollTo(row + 1 - GetPageRows());
}

RECT CListUI::TrackRect() const {
    if (MaxTop() == 0) return RECT{};
    RECT rows = RowsRect();
    return RECT{rows.right - kBarWidth - 2, rows.top + 2, rows.right - 2, rows.bottom - 2};
}

RECT CListUI::ThumbRect() const {
    RECT track = TrackRect();
    if (::IsRectEmpty(&track)) return track;
    long length = track.bottom - track.top;
    long thumb =
        std::max<long>(kMinThumb, static_cast<long>(length * GetPageRows() / m_rows.size()));
    thumb = std::min(thumb, length);
    long offset = static_cast<long>((length - thumb) * static_cast<long long>(m_top) /
                                    static_cast<long long>(MaxTop()));
    return RECT{track.left, track.top + offset, track.right, track.top + offset + thumb};
}

std::vector<std::pair<int, int>> CListUI::ColumnEdges() const {
    int left = m_rcItem.left;
    int width = m_rcItem.right - m_rcItem.left - kBarWidth - 4;
    int fixed = 0, flexible = 0;
    for (const Column& column : m_columns) {
        fixed += column.width;
        if (column.width == 0) ++flexible;
    }
    int share = flexible > 0 ? std::max(0, width - fixed) / flexible : 0;
    std::vector<std::pair<int, int>> edges;
    for (const Column& column : m_columns) {
        int w = column.width > 0 ? column.width : share;
        edges.emplace_back(left, left + w);
        left += w;
    }
    return edges;
}

void CListUI::DrawCells(HDC hdc, const RECT& line, const std::vector<std::wstring>& cells,
                        DWORD color, HFONT font) const {
    std::vector<std::pair<int, int>> edges = ColumnEdges();
    for (size_t i = 0; i < edges.size() && i < cells.size(); ++i) {
        RECT cell{edges[i].first + kCellPadding, line.top, edges[i].second - kCellPadding,
                  line.bottom};
        UIDrawText(hdc, cell, cells[i], color, font,
                   DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

void CListUI::PaintText(HDC hdc) {
    int saved = ::SaveDC(hdc);
    ::IntersectClipRect(hdc, m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom);
    HFONT font = GetFontHandle();
    if (m_headerHeight > 0) {
        RECT header{m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.top + m_headerHeight};
        UIFillRect(hdc, header, m_headerBkColor, 0);
        std::vector<std::wstring> titles;
        for (const Column& column : m_columns) titles.push_back(column.title);
        DrawCells(hdc, header, titles, m_headerTextColor, font);
        UIFillRect(hdc, RECT{header.left, header.bottom - 1, header.right, header.bottom},
                   m_lineColor, 0);
    }
    RECT rows = RowsRect();
    ::IntersectClipRect(hdc, rows.left, rows.top, rows.right, rows.bottom);
    for (size_t i = m_top; i < m_rows.size(); ++i) {
        int top = rows.top + static_cast<int>(i - m_top) * m_itemHeight;
        if (top >= rows.bottom) break;
        RECT line{rows.left, top, rows.right, top + m_itemHeight};
        if (static_cast<int>(i) == m_selected) UIFillRect(hdc, line, m_selectedBkColor, 0);
        UIFillRect(hdc, RECT{line.left, line.bottom - 1, line.right, line.bottom}, m_lineColor, 0);
        DWORD color = m_rows[i].textColor ? m_rows[i].textColor : m_textColor;
        DrawCells(hdc, line, m_rows[i].cells, color, font);
    }
    ::RestoreDC(hdc, saved);
}

void CListUI::PaintStatusImage(HDC hdc) {
    RECT thumb = ThumbRect();
    if (::IsRectEmpty(&thumb)) return;
    UIFillRect(hdc, thumb, m_thumbColor, kBarWidth / 2);
    // The focused list shows it by a border in the focus colour.
    if (IsFocused() && m_focusBorderColor)
        UIDrawBorder(hdc, m_rcItem, m_focusBorderColor, 1, m_borderRound);
}

void CListUI::OnKey(WPARAM key) {
    if (m_rows.empty()) return;
    int last = static_cast<int>(m_rows.size()) - 1;
    int page = static_cast<int>(GetPageRows());
    int current = m_selected;
    switch (key) {
        case VK_UP:
            SelectRow(current < 0 ? 0 : std::max(0, current - 1));
            break;
        case VK_DOWN:
            SelectRow(current < 0 ? 0 : std::min(last, current + 1));
            break;
        case VK_PRIOR:
            SelectRow(std::max(0, (current < 0 ? 0 : current) - page));
            break;
        case VK_NEXT:
            SelectRow(std::min(last, (current < 0 ? 0 : current) + page));
            break;
        case VK_HOME:
            SelectRow(0);
            break;
        case VK_END:
            SelectRow(last);
            break;
    }
}

void CListUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_SCROLLWHEEL: {
            int delta = static_cast<short>(HIWORD(event.wParam));
            int rows = -delta * kWheelRows / WHEEL_DELTA;
            if (rows == 0) rows = delta > 0 ? -1 : 1;
            long long top = static_cast<long long>(m_top) + rows;
            ScrollTo(static_cast<size_t>(std::max(0LL, top)));
            break;
        }
        case UIEVENT_KEYDOWN:
            OnKey(event.wParam);
            break;
        case UIEVENT_BUTTONDOWN: {
            SetFocus();
            RECT track = TrackRect();
            if (Inside(track, event.ptMouse)) {
                RECT thumb = ThumbRect();
                if (Inside(thumb, event.ptMouse)) {
                    m_dragging = true;
                    m_dragOffset = event.ptMouse.y - thumb.top;
                } else {
                    size_t page = GetPageRows();
                    ScrollTo(event.ptMouse.y < thumb.top ? (m_top > page ? m_top - page : 0)
                                                         : m_top + page);
                }
                break;
            }
            RECT rows = RowsRect();
            if (!Inside(rows, event.ptMouse)) break;
            size_t row = m_top + static_cast<size_t>((event.ptMouse.y - rows.top) / m_itemHeight);
            if (row < m_rows.size()) SelectRow(static_cast<int>(row));
            break;
        }
        case UIEVENT_MOUSEMOVE:
            if (m_dragging) {
                RECT track = TrackRect();
                RECT thumb = ThumbRect();
                long room = (track.bottom - track.top) - (thumb.bottom - thumb.top);
                if (room <= 0) break;
                long y = std::max(0L, event.ptMouse.y - m_dragOffset - track.top);
                ScrollTo(
                    static_cast<size_t>((static_cast<long long>(y) * MaxTop() + room / 2) / room));
            }
            break;
        case UIEVENT_BUTTONUP:
        case UIEVENT_CAPTURELOST:
            m_dragging = false;
            break;
        default:
            break;
    }
}
