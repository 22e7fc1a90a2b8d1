#pragma once

#include "common/skin/buttonui.h"

// One entry of a CMenuWnd: a left-aligned button that sends "itemclick" instead of "click".
class NT_API CMenuElementUI : public CButtonUI {
public:
    CMenuElementUI();
    const wchar_t* GetClass() const override;
    bool Activate() override;
};
