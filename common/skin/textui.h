#pragma once

#include "common/skin/labelui.h"

// Text that wraps over as many lines as the control's height allows.
class NT_API CTextUI : public CLabelUI {
public:
    CTextUI() { m_textStyle = DT_WORDBREAK | DT_TOP | DT_LEFT; }
    const wchar_t* GetClass() const override { return L"Text"; }
};
