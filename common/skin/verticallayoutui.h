#pragma once

#include "common/skin/containerui.h"

// Children top to bottom.
class NT_API CVerticalLayoutUI : public CContainerUI {
public:
    CVerticalLayoutUI() : CContainerUI(true) {}
    const wchar_t* GetClass() const override { return L"VerticalLayout"; }
};
