#pragma once

#include "common/skin/progressui.h"

// A progress bar with a round thumb that the mouse drags. Sends "valuechanged" when a press
// or drag ends with a new value and, when sendmove is on, "valuechanged_move" for every step
// while dragging.
class NT_API CSliderUI : public CProgressUI {
public:
    CSliderUI();
    const wchar_t* GetClass() const override;
    bool IsInteractive() const override { return true; }
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoEvent(TEventUI& event) override;

    // Whether dragging reports each intermediate value.
    void SetCanSendMove(bool send) { m_sendMove = send; }

protected:
    void PaintStatusImage(HDC hdc) override;
    RECT TrackRect() const override;
    RECT ThumbRect() const;
    // The value for a pointer at x, rounded to the nearest step.
    int ValueAtX(int x) const;

    int m_thumbSize = 16;
    bool m_sendMove = false;
    bool m_dragging = false;
    bool m_hot = false;
    int m_valueAtPress = 0;
    DWORD m_thumbColor = 0xFFFFFFFF;
    DWORD m_thumbBorderColor = 0xFF1E88E5;
    std::wstring m_thumbImage, m_thumbHotImage;
};
