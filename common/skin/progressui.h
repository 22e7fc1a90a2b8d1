#pragma once

#include "common/skin/labelui.h"

// A bar filled in proportion to its value between min and max: a rounded track in bkcolor and
// the filled part in forecolor (or the foreimage cut to the value).
class NT_API CProgressUI : public CLabelUI {
public:
    CProgressUI();
    const wchar_t* GetClass() const override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    int GetValue() const { return m_value; }
    // Clamped into [min, max].
    void SetValue(int value);
    int GetMinValue() const { return m_min; }
    int GetMaxValue() const { return m_max; }
    // A range whose max is below min is ignored; the value is clamped into the new range.
    void SetRange(int minValue, int maxValue);

protected:
    void PaintBkColor(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    // The track: the control's width and trackheight pixels high, centred vertically.
    virtual RECT TrackRect() const;
    // x of the value's position along the track.
    int ValueToX(int value) const;

    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    int m_trackHeight = 0;
    DWORD m_foreColor = 0xFF1E88E5;
    std::wstring m_foreImage;
};
