#pragma once

#include "common/window/ntwindow.h"

class CComboUI;

// The list a combo box drops down: a top-most popup that does not take the activation away
// from the window (so a text being edited stays active) and keeps the mouse captured; a click
// on an item chooses it, a click anywhere else closes the list. Deletes itself when closed.
class CComboWnd : public CNTWindow {
public:
    explicit CComboWnd(CComboUI* owner) : m_owner(owner) {}
    // Opens the list under the combo box; false (and the object deleted) when it cannot.
    static bool Open(CComboUI* owner, CComboWnd*& out);
    // Closes without telling the combo box (it is going away).
    void Detach();

protected:
    const wchar_t* GetWindowClassName() const override { return L"NTSkinComboList"; }
    UINT GetClassStyle() const override { return CS_DROPSHADOW; }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    int ItemAt(POINT pt) const;
    void Paint();

    CComboUI* m_owner;
    int m_hot = -1;
};
