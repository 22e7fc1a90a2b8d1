#pragma once

#include <string>
#include <vector>

#include "common/skin/controlui.h"

// A list of rows of text cells under a header of column titles. Only the rows in view are
// drawn, so thousands of rows cost nothing per paint. Scrolls by the wheel, by the bar at its
// right (drag the thumb, click the track for a page) and by the keys (arrows, Page Up/Down,
// Home, End) while it has the keyboard focus, which a click on a row gives it. Selecting a
// row sends kNotifyItemSelect with the row in wParam.
//
// Skin attributes: columns="照片,160;上传号,110;状态,0" (title,width pairs; width 0 takes what
// the others leave), itemheight, headerheight, headerbkcolor, headertextcolor, linecolor,
// selectedbkcolor, thumbcolor; plus those of every control.
class NT_API CListUI : public CControlUI {
public:
    CListUI();
    const wchar_t* GetClass() const override;
    bool IsInteractive() const override { return true; }
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    // A column at the right; width 0 takes the width the fixed columns leave.
    void AddColumn(const std::wstring& title, int width);
    size_t GetColumnCount() const { return m_columns.size(); }

    // Appends a row (missing cells are empty, extra ones dropped); returns its index.
    size_t AddRow(std::vector<std::wstring> cells);
    void RemoveAllRows();
    size_t GetRowCount() const { return m_rows.size(); }
    // Empty for a cell that does not exist.
    std::wstring GetCell(size_t row, size_t column) const;
    void SetCell(size_t row, size_t column, const std::wstring& text);
    // Text colour of one row; 0 gives back the list's own.
    void SetRowTextColor(size_t row, DWORD argb);

    // Selected row, or -1.
    int GetCurSel() const { return m_selected; }
    // Selects the row (clamped into the list; -1 clears), scrolls it into view and notifies.
    void SelectRow(int row);

    // First row in view.
    size_t GetTopRow() const { return m_top; }
    // Rows that fit wholly under the header (at least 1).
    size_t GetPageRows() const;
    // Scrolls so that row `top` is the first in view, clamped so that the last page is full.
    void ScrollTo(size_t top);
    void EnsureVisible(size_t row);

    void DoEvent(TEventUI& event) override;

protected:
    void PaintText(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;

private:
    struct Column {
        std::wstring title;
        int width = 0;
    };
    struct Row {
        std::vector<std::wstring> cells;
        DWORD textColor = 0;
    };

    size_t MaxTop() const;
    RECT RowsRect() const;
    // The bar's track and thumb; empty when every row is in view.
    RECT TrackRect() const;
    RECT ThumbRect() const;
    // Left and right edges of each column inside the rows' width.
    std::vector<std::pair<int, int>> ColumnEdges() const;
    void DrawCells(HDC hdc, const RECT& line, const std::vector<std::wstring>& cells, DWORD color,
                   HFONT font) const;
    void OnKey(WPARAM key);

    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    size_t m_top = 0;
    int m_selected = -1;
    int m_itemHeight = 28;
    int m_headerHeight = 30;
    DWORD m_headerBkColor = 0xFFF0F3F7;
    DWORD m_headerTextColor = 0xFF1F2D3D;
    DWORD m_lineColor = 0xFFE4E8ED;
    DWORD m_selectedBkColor = 0xFFDCEBFB;
    DWORD m_thumbColor = 0xFFC5CDD8;
    // Dragging the thumb: the pointer's offset from the thumb's top.
    bool m_dragging = false;
    int m_dragOffset = 0;
};
