#pragma once

#include "common/skin/containerui.h"

// Children left to right.
class NT_API CHorizontalLayoutUI : public CContainerUI {
public:
    CHorizontalLayoutUI() : CContainerUI(false) {}
    const wchar_t* GetClass() const override { return L"HorizontalLayout"; }
};
