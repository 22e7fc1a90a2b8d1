#pragma once

#include "common/window/ntwindow.h"

class CEditUI;

// The real Win32 edit box behind a CEditUI (so input methods, selection, clipboard and password
// mode behave as everywhere). It superclasses EDIT to pass Tab, Enter and Escape to the skinned
// window instead of beeping.
class CEditWnd : public CNTWindow {
public:
    explicit CEditWnd(CEditUI* owner) : m_owner(owner) {}

protected:
    const wchar_t* GetWindowClassName() const override { return L"NTSkinEdit"; }
    const wchar_t* GetSuperClassName() const override { return L"EDIT"; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CEditUI* m_owner;
};
