#include "common/skin/sliderui.h"

#include <algorithm>

#include "common/skin/paintmanagerui.h"
#include "common/skin/uiparse.h"
#include "common/skin/uirender.h"

CSliderUI::CSliderUI() {
    m_mouseEnabled = true;
    m_trackHeight = 4;
}

const wchar_t* CSliderUI::GetClass() const { return L"Slider"; }

void CSliderUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    std::wstring n = name;
    int i;
    bool b;
    DWORD c;
    if (n == L"thumbsize") {
        SIZE sz;
        if (UIParseSize(value, sz))
            m_thumbSize = sz.cx;
        else if (UIParseInt(value, i) && i > 0)
            m_thumbSize = i;
    } else if (n == L"sendmove") {
        if (UIParseBool(value, b)) m_sendMove = b;
    } else if (n == L"thumbcolor") {
        if (UIParseColor(value, c)) m_thumbColor = c;
    } else if (n == L"thumbbordercolor") {
        if (UIParseColor(value, c)) m_thumbBorderColor = c;
    } else if (n == L"thumbimage") {
        m_thumbImage = value;
    } else if (n == L"thumbhotimage") {
        m_thumbHotImage = value;
    } else {
        CProgressUI::SetAttribute(name, value);
    }
}

RECT CSliderUI::TrackRect() const {
    // Inset by half a thumb so the thumb stays inside the control at both ends.
    RECT rc = CProgressUI::TrackRect();
    rc.left += m_thumbSize / 2;
    rc.right -= m_thumbSize - m_thumbSize / 2;
    if (rc.right < rc.left) rc.right = rc.left;
    return rc;
}

RECT CSliderUI::ThumbRect() const {
    int x = ValueToX(m_value);
    int cy = (m_rcItem.top + m_rcItem.bottom) / 2;
    int half = m_thumbSize / 2;
    return RECT{x - half, cy - half, x - half + m_thumbSize, cy - half + m_thumbSize};
}

int CSliderUI::ValueAtX(int x) const {
    RECT track = TrackRect();
    int span = track.right - track.left;
    if (span <= 0) return m_min;
    int offset = std::clamp(x - static_cast<int>(track.left), 0, span);
    long long range = static_cast<long long>(m_max) - m_min;
    return m_min + static_cast<int>((range * offset * 2 + span) / (span * 2));
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (!IsEnabled()) return;
    switch (event.Type) {
        case UIEVENT_MOUSEENTER:
        case UIEVENT_MOUSELEAVE:
            m_hot = event.Type == UIEVENT_MOUSEENTER;
            Invalidate();
            break;
        case UIEVENT_BUTTONDOWN:
            m_dragging = true;
            m_valueAtPress = m_value;
            SetValue(ValueAtX(event.ptMouse.x));
            if (m_sendMove && m_value != m_valueAtPress && m_manager)
                m_manager->SendNotify(this, kNotifyValueChangedMove);
            break;
        case UIEVENT_MOUSEMOVE:
            if (m_dragging) {
                int old = m_value;
                SetValue(ValueAtX(event.ptMouse.x));
                if (m_sendMove && m_value != old && m_manager)
                    m_manager->SendNotify(this, kNotifyValueChangedMove);
            }
            break;
        case UIEVENT_BUTTONUP:
            if (m_dragging) {
                m_dragging = false;
                SetValue(ValueAtX(event.ptMouse.x));
                if (m_value != m_valueAtPress && m_manager)
                    m_manager->SendNotify(this, kNotifyValueChanged);
            }
            break;
        case UIEVENT_CAPTURELOST:
            // The drag was taken away: the value it reached stands and is reported.
            if (m_dragging) {
                m_dragging = false;
                if (m_value != m_valueAtPress && m_manager)
                    m_manager->SendNotify(this, kNotifyValueChanged);
            }
            break;
        default:
            break;
    }
}

void CSliderUI::PaintStatusImage(HDC hdc) {
    CProgressUI::PaintStatusImage(hdc);
    RECT thumb = ThumbRect();
    if (m_hot && !m_thumbHotImage.empty() && m_manager) {
        UIImageSpec imageSpec;
        if (UIParseImageSpec(m_thumbHotImage, imageSpec)) {
            UIDrawImage(hdc, m_manager->GetImage(imageSpec.file), thumb, imageSpec);
            return;
        }
    }
    if (!m_thumbImage.empty() && m_manager) {
        UIImageSpec imageSpec;
        if (UIParseImageSpec(m_thumbImage, imageSpec)) {
            UIDrawImage(hdc, m_manager->GetImage(imageSpec.file), thumb, imageSpec);
            return;
        }
    }
    UIFillEllipse(hdc, thumb, m_thumbBorderColor);
    int ring = (m_hot || m_dragging) ? 4 : 3;
    UIFillEllipse(
        hdc, RECT{thumb.left + ring, thumb.top + ring, thumb.right - ring, thumb.bottom - ring},
        m_thumbColor);
}
