#pragma once

#include <string>

#include "common/skin/windowimplbase.h"

class CMenuElementUI;

// A pop-up menu built from a skin whose entries are MenuElement controls. It opens at a
// screen point without taking the activation from its owner, keeps the mouse captured, and
// reports every notification of its controls to the owner window synchronously as
// SendMessage(owner, message, TNotifyUI*, CPaintManagerUI*): "windowinit" once the entries
// exist (the owner may hide some; the menu then fits itself to the visible ones) and
// "itemclick" for a chosen entry, after which it closes. A click elsewhere closes it too, and
// it closes with its owner. Create it with new; it deletes itself when it closes.
class NT_API CMenuWnd : public WindowImplBase {
public:
    explicit CMenuWnd(HWND owner = nullptr) : m_owner(owner) {}

    // Builds the menu from skinFile and opens it at point. The owner is, in this order, the
    // window of ownerElement (the menu entry this menu belongs to), the window given to the
    // constructor, or else the window it is opened for: this thread's top-level window under
    // point, or this thread's active window. skinType names the skin source; only "xml" (a skin
    // file) is known. false when the skin cannot be read or the window cannot be created; the
    // object is gone then.
    bool Init(CMenuElementUI* ownerElement, UINT message, const wchar_t* skinFile,
              const wchar_t* skinType, POINT point);

    void Notify(TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    // Deletes the menu.
    void OnFinalMessage(HWND hWnd) override;

protected:
    const wchar_t* GetWindowClassName() const override { return L"NTSkinMenu"; }
    std::wstring GetSkinFolder() override { return std::wstring(); }
    std::wstring GetSkinFile() override { return m_skinFile; }
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;

private:
    void Place(POINT point);

    HWND m_owner;
    UINT m_message = 0;
    std::wstring m_skinFile;
};
