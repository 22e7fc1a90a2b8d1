#include "common/skin/progressui.h"

#include <algorithm>

#include "common/skin/paintmanagerui.h"
#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

CProgressUI::CProgressUI() { m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

const wchar_t* CProgressUI::GetClass() const { return L"Progress"; }

void CProgressUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    int i;
    DWORD c;
    if (n == L"min") {
        if (UIParseInt(value, i)) SetRange(i, std::max(i, m_max));
    } else if (n == L"max") {
        if (UIParseInt(value, i)) SetRange(std::min(i, m_min), i);
    } else if (n == L"value") {
        if (UIParseInt(value, i)) SetValue(i);
    } else if (n == L"forecolor") {
        if (UIParseColor(value, c)) m_foreColor = c;
    } else if (n == L"foreimage") {
        m_foreImage = value;
    } else if (n == L"trackheight") {
        if (UIParseInt(value, i) && i >= 0) m_trackHeight = i;
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CProgressUI::SetValue(int value) {
    value = std::clamp(value, m_min, m_max);
    if (value == m_value) return;
    m_value = value;
    Invalidate();
}

void CProgressUI::SetRange(int minValue, int maxValue) {
    if (maxValue < minValue) return;
    m_min = minValue;
    m_max = maxValue;
    m_value = std::clamp(m_value, m_min, m_max);
    Invalidate();
}

RECT CProgressUI::TrackRect() const {
    RECT rc = m_rcItem;
    int height = rc.bottom - rc.top;
    if (m_trackHeight > 0 && m_trackHeight < height) {
        rc.top += (height - m_trackHeight) / 2;
        rc.bottom = rc.top + m_trackHeight;
    }
    return rc;
}

int CProgressUI::ValueToX(int value) const {
    RECT track = TrackRect();
    if (m_max == m_min) return track.left;
    long long span = track.right - track.left;
    return track.left + static_cast<int>(span * (value - m_min) / (m_max - m_min));
}

void CProgressUI::PaintBkColor(HDC hdc) {
    RECT track = TrackRect();
    int round = m_borderRound ? m_borderRound : (track.bottom - track.top) / 2;
    UIFillRect(hdc, track, m_bkColor, round);
}

void CProgressUI::PaintStatusImage(HDC hdc) {
    RECT track = TrackRect();
    RECT filled = track;
    filled.right = ValueToX(m_value);
    if (filled.right <= filled.left) return;
    if (!m_foreImage.empty() && m_manager) {
        UIImageSpec imageSpec;
        if (UIParseImageSpec(m_foreImage, imageSpec)) {
            HRGN clip = ::CreateRectRgn(0, 0, 0, 0);
            bool hadClip = ::GetClipRgn(hdc, clip) == 1;
            ::IntersectClipRect(hdc, filled.left, filled.top, filled.right, filled.bottom);
            UIDrawImage(hdc, m_manager->GetImage(imageSpec.file), track, imageSpec);
            ::SelectClipRgn(hdc, hadClip ? clip : nullptr);
            ::DeleteObject(clip);
            return;
        }
    }
    int round = m_borderRound ? m_borderRound : (track.bottom - track.top) / 2;
    UIFillRect(hdc, filled, m_foreColor, round);
}
